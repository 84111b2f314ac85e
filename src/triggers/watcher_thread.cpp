// The watcher thread waits at once on the registry watch's event (while it is armed, with
// the poll's time-out while it is not), on the corner watch's event and on the corner
// window's messages, and serves each watch after every wake-up. Each watch works as on a
// thread of its own: the registry watch is served even when the corner watch has no window.
// The policy keys' events are waited on too; each wakes only its own watch.
#include "triggers/watcher_thread.h"

#include "triggers/corner_watcher.h"
#include "triggers/policy_watch.h"
#include "triggers/registry_watcher.h"

DWORD WINAPI WatcherThread(void*) {
  RegistryWatch registry = {};
  bool registryOpen = OpenRegistryWatch(&registry);
  bool cornersOpen = OpenCornerWatch();
  PolicyWatch policies = {};
  bool policiesOpen = OpenPolicyWatch(&policies);
  if (!registryOpen && !cornersOpen && !policiesOpen) return 0;
  for (;;) {
    HANDLE handles[2 + kPolicyHives];
    DWORD count = 0;
    DWORD cornersAt = MAXIMUM_WAIT_OBJECTS;
    DWORD registryAt = MAXIMUM_WAIT_OBJECTS;
    HANDLE corners = cornersOpen ? CornerWatchEvent() : nullptr;
    if (corners) {
      cornersAt = count;
      handles[count++] = corners;
    }
    if (registryOpen && registry.armed) {
      registryAt = count;
      handles[count++] = registry.event;
    }
    DWORD policyAt[kPolicyHives];
    for (int hive = 0; hive < kPolicyHives; hive++) {
      policyAt[hive] = MAXIMUM_WAIT_OBJECTS;
      if (policiesOpen && policies.armed[hive]) {
        policyAt[hive] = count;
        handles[count++] = policies.events[hive];
      }
    }
    DWORD timeout = registryOpen ? RegistryWatchTimeout(registry) : INFINITE;
    DWORD woke = MsgWaitForMultipleObjectsEx(count, handles, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_FAILED) {  // the registry falls back to the poll
      Sleep(kRegistryPollMs);
      if (registryOpen) registry.armed = false;
    }
    if (registryOpen) ServeRegistryWatch(&registry, woke == WAIT_OBJECT_0 + registryAt);
    if (cornersOpen) ServeCornerWatch(woke == WAIT_OBJECT_0 + cornersAt);
    for (int hive = 0; hive < kPolicyHives; hive++)
      if (woke == WAIT_OBJECT_0 + policyAt[hive]) ServePolicyWatch(&policies, hive);
  }
}
