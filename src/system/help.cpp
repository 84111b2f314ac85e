// The help system: the HTML Help control is found through its registered class, loaded
// on the first request, initialised once and uninitialised at exit.
#include "system/help.h"

#include "log/log.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"

namespace {

constexpr UINT kHhDisplayToc = 1;
constexpr UINT kHhHelpContext = 15;
constexpr UINT kHhInitialize = 28;
constexpr UINT kHhUninitialize = 29;
constexpr const char* kHelpControlKey = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

char helpPath[kPathSize] = "";
DWORD_PTR helpCookie = 0;
HMODULE helpLibrary = nullptr;
HtmlHelpFn helpEntry = nullptr;
bool helpUnavailable = false;

HMODULE LoadHelpControl() {
  char path[kPathSize] = "";
  HKEY key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kHelpControlKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    char value[kPathSize] = "";
    DWORD type = 0;
    DWORD size = sizeof(value) - 1;
    if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS) {
      value[size < sizeof(value) ? size : sizeof(value) - 1] = 0;
      if (type == REG_EXPAND_SZ)
        ExpandEnvironmentStringsA(value, path, sizeof(path));
      else if (type == REG_SZ)
        CopyText(path, value, sizeof(path));
    }
    RegCloseKey(key);
  }
  HMODULE library = path[0] ? LoadLibraryA(path) : nullptr;
  if (!library) library = LoadLibraryA("hhctrl.ocx");
  return library;
}

INT_PTR CallHtmlHelp(HWND window, const char* file, UINT command, DWORD_PTR data) {
  if (helpUnavailable) return 0;
  if (!helpLibrary) {
    helpLibrary = LoadHelpControl();
    if (!helpLibrary) {
      helpUnavailable = true;
      return 0;
    }
  }
  if (!helpEntry) {
    helpEntry = reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(GetProcAddress(helpLibrary, MAKEINTRESOURCEA(14))));
    if (!helpEntry) {
      helpUnavailable = true;
      return 0;
    }
  }
  return reinterpret_cast<INT_PTR>(helpEntry(window, file, command, data));
}

}  // namespace

INT_PTR ShowHelp(HWND owner, int context) {
  LogMessage(kLogLogOnly, "ShowHelp");
  if (!owner) {
    if (!helpPath[0]) return 0;
    return CallHtmlHelp(nullptr, nullptr, kHhUninitialize, helpCookie);
  }
  if (!helpPath[0]) {
    char module[kPathSize] = "";
    GetModuleFileNameA(nullptr, module, sizeof(module));
    GetDirectory(module, helpPath, sizeof(helpPath));
    JoinPath(helpPath, "Dozelite.chm", sizeof(helpPath));
    LogMessage(kLogLogOnly, "ShowHelp: '%s'", helpPath);
    CallHtmlHelp(nullptr, nullptr, kHhInitialize, reinterpret_cast<DWORD_PTR>(&helpCookie));
  }
  INT_PTR result = context ? CallHtmlHelp(owner, helpPath, kHhHelpContext, static_cast<DWORD_PTR>(context))
                           : CallHtmlHelp(owner, helpPath, kHhDisplayToc, 0);
  if (result == 0) LogMessage(kLogLogOnly, "Can't find help file %s", helpPath);
  return result;
}
