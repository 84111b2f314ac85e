// Arming the look at the front: the last input from GetLastInputInfo, the saver's
// time-out from the system's settings and the display's from the active power plan (for
// the power source in use), FrontCheckDelayMs for the moment. At rest this is one timer
// per time-out period; nothing else wakes.
#include "holdoff/front_check.h"

#include "holdoff/front_check_delay.h"
#include "shell/text_helpers.h"

namespace {

using GetActiveSchemeFn = DWORD(WINAPI*)(HKEY, GUID**);
using ReadValueIndexFn = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, DWORD*);

// The video subgroup of a power plan and its "turn the display off after" setting.
constexpr GUID kVideoSubgroup = {0x7516b95f, 0xf776, 0x4464, {0x8c, 0x53, 0x06, 0x16, 0x7f, 0x40, 0xcc, 0x99}};
constexpr GUID kVideoPowerDownTimeout = {0x3c0bc021, 0xc8a8, 0x4e07, {0xa9, 0x73, 0x6b, 0x14, 0xcb, 0xcb, 0x2b, 0x7e}};
constexpr DWORD kMaxTimeoutSeconds = 2000000;  // 23 days: the most a timer can wait

uint32_t ToMs(DWORD seconds) { return (seconds > kMaxTimeoutSeconds ? kMaxTimeoutSeconds : seconds) * 1000u; }

uint32_t SaverTimeoutMs() {
  BOOL active = FALSE;
  UINT seconds = 0;
  if (!SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0) || !active) return 0;
  if (!SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0)) return 0;
  return ToMs(seconds);
}

struct PowerPlanCalls {
  GetActiveSchemeFn getActive;
  ReadValueIndexFn readAc;
  ReadValueIndexFn readDc;
};

// powrprof.dll from the system folder, loaded once and kept (main thread only).
const PowerPlanCalls& GetPowerPlanCalls() {
  static PowerPlanCalls calls = [] {
    PowerPlanCalls found = {};
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, sizeof(path));
    HMODULE library = nullptr;
    if (length > 0 && length < sizeof(path) && JoinPath(path, "powrprof.dll", sizeof(path)))
      library = LoadLibraryA(path);
    if (library) {
      found.getActive =
          reinterpret_cast<GetActiveSchemeFn>(reinterpret_cast<void*>(GetProcAddress(library, "PowerGetActiveScheme")));
      found.readAc =
          reinterpret_cast<ReadValueIndexFn>(reinterpret_cast<void*>(GetProcAddress(library, "PowerReadACValueIndex")));
      found.readDc =
          reinterpret_cast<ReadValueIndexFn>(reinterpret_cast<void*>(GetProcAddress(library, "PowerReadDCValueIndex")));
    }
    return found;
  }();
  return calls;
}

uint32_t DisplayTimeoutMs() {
  const PowerPlanCalls& calls = GetPowerPlanCalls();
  if (!calls.getActive || !calls.readAc || !calls.readDc) return 0;
  SYSTEM_POWER_STATUS power = {};
  bool battery = GetSystemPowerStatus(&power) && power.ACLineStatus == 0;
  GUID* scheme = nullptr;
  DWORD seconds = 0;
  if (calls.getActive(nullptr, &scheme) == ERROR_SUCCESS && scheme) {
    ReadValueIndexFn read = battery ? calls.readDc : calls.readAc;
    if (read(nullptr, scheme, &kVideoSubgroup, &kVideoPowerDownTimeout, &seconds) != ERROR_SUCCESS) seconds = 0;
  }
  if (scheme) LocalFree(scheme);
  return ToMs(seconds);
}

}  // namespace

void ArmFrontCheck(HWND window, UINT_PTR timer, bool often, TIMERPROC look) {
  uint32_t delay = kHeldLookMs;
  if (!often) {
    LASTINPUTINFO input = {};
    input.cbSize = sizeof(input);
    DWORD now = GetTickCount();
    if (!GetLastInputInfo(&input)) input.dwTime = now;
    const uint32_t timeouts[] = {SaverTimeoutMs(), DisplayTimeoutMs()};
    delay = FrontCheckDelayMs(now, input.dwTime, timeouts, 2);
  }
  if (delay == 0)
    KillTimer(window, timer);
  else
    SetTimer(window, timer, delay, look);
}
