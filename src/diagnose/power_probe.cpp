// The real power calls, loaded from the system folder's powrprof.dll when asked: a
// system without them, or a call that fails, leaves the fact unknown.
#include "diagnose/power_probe.h"

#include <shellapi.h>

#include <climits>

#include "diagnose/diagnosis.h"
#include "shell/text_helpers.h"

namespace {

using GetActiveSchemeFn = DWORD(WINAPI*)(HKEY, GUID**);
using ReadValueIndexFn = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, DWORD*);
using CallNtPowerInformationFn = LONG(WINAPI*)(int, void*, ULONG, void*, ULONG);

constexpr int kSystemExecutionState = 16;  // POWER_INFORMATION_LEVEL
// The video subgroup of a power plan and its "turn the display off after" setting.
constexpr GUID kVideoSubgroup = {0x7516b95f, 0xf776, 0x4464, {0x8c, 0x53, 0x06, 0x16, 0x7f, 0x40, 0xcc, 0x99}};
constexpr GUID kVideoPowerDownTimeout = {0x3c0bc021, 0xc8a8, 0x4e07, {0xa9, 0x73, 0x6b, 0x14, 0xcb, 0xcb, 0x2b, 0x7e}};

// powrprof.dll from the system folder only, never from the current or program folder.
HMODULE LoadPowerLibrary() {
  char path[MAX_PATH];
  UINT length = GetSystemDirectoryA(path, sizeof(path));
  if (length == 0 || length >= sizeof(path)) return nullptr;
  if (!JoinPath(path, "powrprof.dll", sizeof(path))) return nullptr;
  return LoadLibraryA(path);
}

template <typename Fn>
Fn Entry(HMODULE library, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

int ToSeconds(DWORD value) { return value > static_cast<DWORD>(INT_MAX) ? INT_MAX : static_cast<int>(value); }

void ReadDisplayTimeouts(int* acSeconds, int* dcSeconds) {
  *acSeconds = kFactUnknown;
  *dcSeconds = kFactUnknown;
  HMODULE library = LoadPowerLibrary();
  if (!library) return;
  auto getActive = Entry<GetActiveSchemeFn>(library, "PowerGetActiveScheme");
  auto readAc = Entry<ReadValueIndexFn>(library, "PowerReadACValueIndex");
  auto readDc = Entry<ReadValueIndexFn>(library, "PowerReadDCValueIndex");
  GUID* scheme = nullptr;
  if (getActive && getActive(nullptr, &scheme) == ERROR_SUCCESS && scheme) {
    DWORD value = 0;
    if (readAc && readAc(nullptr, scheme, &kVideoSubgroup, &kVideoPowerDownTimeout, &value) == ERROR_SUCCESS)
      *acSeconds = ToSeconds(value);
    value = 0;
    if (readDc && readDc(nullptr, scheme, &kVideoSubgroup, &kVideoPowerDownTimeout, &value) == ERROR_SUCCESS)
      *dcSeconds = ToSeconds(value);
  }
  if (scheme) LocalFree(scheme);
  FreeLibrary(library);
}

bool ReadExecutionState(DWORD* state) {
  HMODULE library = LoadPowerLibrary();
  if (!library) return false;
  auto call = Entry<CallNtPowerInformationFn>(library, "CallNtPowerInformation");
  ULONG value = 0;
  bool ok = call && call(kSystemExecutionState, nullptr, 0, &value, sizeof(value)) == 0;
  if (ok) *state = value;
  FreeLibrary(library);
  return ok;
}

}  // namespace

PowerProbe RealPowerProbe() { return {ReadDisplayTimeouts, ReadExecutionState}; }

PowerProbe PowerProbeEntry = RealPowerProbe();

HANDLE RealStartElevated(const char* file, const char* parameters) {
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
  info.lpVerb = "runas";
  info.lpFile = file;
  info.lpParameters = parameters;
  info.nShow = SW_HIDE;
  if (!ShellExecuteExA(&info)) return nullptr;
  return info.hProcess;
}

StartElevatedFn StartElevatedEntry = RealStartElevated;
