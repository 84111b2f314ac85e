// The real display request: a power request with a readable reason where the system
// has those calls (so the system's list of power requests names Dozelite and why), else
// the thread's execution state. Main thread only: the execution state belongs to the
// thread that set it, and the request handle is this file's alone.
#include "holdoff/display_request.h"

#include <shellapi.h>

namespace {

using PowerCreateRequestFn = HANDLE(WINAPI*)(REASON_CONTEXT*);
using PowerRequestFn = BOOL(WINAPI*)(HANDLE, POWER_REQUEST_TYPE);

struct PowerCalls {
  PowerCreateRequestFn create;
  PowerRequestFn set;
  PowerRequestFn clear;
};

// Looked up once: the calls are missing before Windows 7.
const PowerCalls& GetPowerCalls() {
  static PowerCalls calls = [] {
    PowerCalls found = {};
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel) {
      found.create = reinterpret_cast<PowerCreateRequestFn>(
          reinterpret_cast<void*>(GetProcAddress(kernel, "PowerCreateRequest")));
      found.set = reinterpret_cast<PowerRequestFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "PowerSetRequest")));
      found.clear =
          reinterpret_cast<PowerRequestFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "PowerClearRequest")));
    }
    if (!found.create || !found.set || !found.clear) found = {};
    return found;
  }();
  return calls;
}

HANDLE heldRequest = nullptr;  // the power request now set, if any
bool heldState = false;        // the execution-state fallback is in force

HANDLE CreateDisplayRequest(const char* reason) {
  wchar_t text[256];
  if (MultiByteToWideChar(CP_ACP, 0, reason, -1, text, 256) == 0) text[0] = 0;
  text[255] = 0;
  REASON_CONTEXT context = {};
  context.Version = POWER_REQUEST_CONTEXT_VERSION;
  context.Flags = POWER_REQUEST_CONTEXT_SIMPLE_STRING;
  context.Reason.SimpleReasonString = text;
  HANDLE request = PowerCreateRequestEntry(&context);
  if (request == INVALID_HANDLE_VALUE) return nullptr;
  if (request && !PowerSetRequestEntry(request, PowerRequestDisplayRequired)) {
    CloseHandle(request);
    return nullptr;
  }
  return request;
}

void ReleaseHeld() {
  if (heldRequest) {
    PowerClearRequestEntry(heldRequest, PowerRequestDisplayRequired);
    CloseHandle(heldRequest);
    heldRequest = nullptr;
  }
  if (heldState) {
    SetThreadExecutionState(ES_CONTINUOUS);
    heldState = false;
  }
}

}  // namespace

// A new reason takes a new request, set before the old one is cleared, so the display
// is never left without a hold in between.
bool RealDisplayRequest(const char* reason) {
  if (!reason) {
    ReleaseHeld();
    return true;
  }
  HANDLE request = CreateDisplayRequest(reason);
  if (request) {
    HANDLE old = heldRequest;
    heldRequest = nullptr;
    bool state = heldState;
    heldState = false;
    if (old) {
      PowerClearRequestEntry(old, PowerRequestDisplayRequired);
      CloseHandle(old);
    }
    if (state) SetThreadExecutionState(ES_CONTINUOUS);
    heldRequest = request;
    return true;
  }
  if (heldRequest) return true;  // keep the hold already taken rather than drop it
  heldState = SetThreadExecutionState(ES_CONTINUOUS | ES_DISPLAY_REQUIRED) != 0;
  return heldState;
}

bool RealShellFullScreen() {
  QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;
  if (FAILED(SHQueryUserNotificationState(&state))) return false;
  return state == QUNS_RUNNING_D3D_FULL_SCREEN || state == QUNS_PRESENTATION_MODE;
}

// Without the calls (before Windows 7, or where the system lacks one of the three) no
// request is made: the hold falls back to the execution state.
HANDLE RealPowerCreateRequest(REASON_CONTEXT* context) {
  const PowerCalls& calls = GetPowerCalls();
  return calls.create ? calls.create(context) : nullptr;
}

BOOL RealPowerSetRequest(HANDLE request, POWER_REQUEST_TYPE type) {
  const PowerCalls& calls = GetPowerCalls();
  return calls.set ? calls.set(request, type) : FALSE;
}

BOOL RealPowerClearRequest(HANDLE request, POWER_REQUEST_TYPE type) {
  const PowerCalls& calls = GetPowerCalls();
  return calls.clear ? calls.clear(request, type) : FALSE;
}

DisplayRequestEntryFn DisplayRequestEntry = RealDisplayRequest;
PowerCreateRequestEntryFn PowerCreateRequestEntry = RealPowerCreateRequest;
PowerRequestEntryFn PowerSetRequestEntry = RealPowerSetRequest;
PowerRequestEntryFn PowerClearRequestEntry = RealPowerClearRequest;
ShellFullScreenEntryFn ShellFullScreenEntry = RealShellFullScreen;
