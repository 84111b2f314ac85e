// The system's screen saver settings, mirrored into AppState and written straight back.
// The NT family keeps all of them under Control Panel\desktop; the 9x family keeps the
// password switch there as a REG_DWORD and the current saver in system.ini. Which family
// applies is read from the platform detected at start-up.
//
// The main thread is the mirror's only writer. Other threads read the registry into a
// SaverSettingsValues of their own and hand it over; a save writes one set of values
// fixed before the first write, so nothing read meanwhile can slip into it.
#include "system/system_saver_settings.h"

#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "catalog/saver_info.h"
#include "language/text.h"
#include "log/log.h"
#include "settings/settings_store.h"
#include "shell/text_helpers.h"
#include "state/announce.h"
#include "state/app_state.h"
#include "state/commands.h"

namespace {

constexpr const char* kDesktopKey = "Control Panel\\desktop";
constexpr const char* kSaverValue = "SCRNSAVE.EXE";
constexpr int kValueBufferSize = 50;
constexpr int kSaverPathBufferSize = 512;

std::atomic<unsigned> generation{0};

// The desktop key, opened once for the process and never closed: reading the current
// saver (each menu opening, each tooltip refresh) is then one call to the registry
// instead of three. Any thread may take it; two first calls may both open it, and the
// one that loses closes its own.
std::atomic<HKEY> desktopKey{nullptr};

HKEY KeptDesktopKey() {
  HKEY kept = desktopKey.load();
  if (kept) return kept;
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) return nullptr;
  if (desktopKey.compare_exchange_strong(kept, opened)) return opened;
  RegCloseKey(opened);
  return kept;
}

// The current saver's value. A key deleted and made again since it was kept (or one that
// could not be kept) is read the long way, as a fresh open.
LONG QueryCurrentSaver(char* path, DWORD size) {
  if (HKEY kept = KeptDesktopKey()) {
    LONG result = QueryRegValue(kept, kSaverValue, REG_SZ, path, size);
    if (result != ERROR_KEY_DELETED) return result;
  }
  HKEY key = nullptr;
  LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_READ, &key);
  if (result != ERROR_SUCCESS) return result;
  result = QueryRegValue(key, kSaverValue, REG_SZ, path, size);
  RegCloseKey(key);
  return result;
}

// One of the three switches: read as decimal text (`atoi`), or on 9x the password as
// the first byte of its data taken as a signed number.
bool ReadSetting(HKEY key, const char* name, bool firstByte, int* field) {
  char data[kValueBufferSize + 1] = {};
  if (QueryRegValue(key, name, REG_SZ, data, kValueBufferSize) != ERROR_SUCCESS) {
    LogMessage(kLogLogOnly, "No %s value in registry. using value %d.", name, *field);
    return false;
  }
  *field = firstByte ? static_cast<int>(static_cast<signed char>(data[0])) : atoi(data);
  return true;
}

bool WriteDecimal(HKEY key, const char* name, int value) {
  char text[16];
  snprintf(text, sizeof(text), "%d", value);
  return SaveRegValue(key, name, REG_SZ, text, 0) == ERROR_SUCCESS;
}

}  // namespace

bool operator==(const SaverSettingsValues& a, const SaverSettingsValues& b) {
  return a.saverActive == b.saverActive && a.saverTimeout == b.saverTimeout && a.passwordActive == b.passwordActive;
}

int ReadWindowsSaverSettings(SaverSettingsValues* values) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    LogMessage(kLogError, TrNoop("LoadWindowsSaverSettings: Error accessing HKEY_CURRENT_USER\\Control Panel\\desktop"));
    return 0;
  }
  ReadSetting(key, "ScreenSaveActive", false, &values->saverActive);
  ReadSetting(key, "ScreenSaveTimeOut", false, &values->saverTimeout);
  if (IsNtPlatform())
    ReadSetting(key, "ScreenSaverIsSecure", false, &values->passwordActive);
  else
    ReadSetting(key, "ScreenSaveUsePassword", true, &values->passwordActive);
  RegCloseKey(key);
  return 1;
}

SaverSettingsValues CurrentSaverSettings() {
  return {AppState.saverActive.load(), AppState.saverTimeout.load(), AppState.passwordActive.load()};
}

unsigned SaverSettingsGeneration() { return generation.load(); }

int ApplyWindowsSaverSettings(const SaverSettingsValues& values) {
  bool changed = !(values == CurrentSaverSettings());
  AppState.saverActive = values.saverActive;
  AppState.saverTimeout = values.saverTimeout;
  AppState.passwordActive = values.passwordActive;
  return changed ? 1 : 0;
}

// The generation moves on after the main thread's own registry access has ended: a
// reading begun earlier, even one that saw half of a save, may be older than the mirror.
int LoadWindowsSaverSettings() {
  SaverSettingsValues values = CurrentSaverSettings();
  int read = ReadWindowsSaverSettings(&values);
  generation++;
  return read ? ApplyWindowsSaverSettings(values) : 0;
}

int SaveWindowsSaverSettings(HKEY root) { return SaveWindowsSaverSettings(root, CurrentSaverSettings()); }

int SaveWindowsSaverSettings(HKEY root, const SaverSettingsValues& values) {
  bool ok = false;
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, kDesktopKey, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
    ok = WriteDecimal(key, "ScreenSaveActive", values.saverActive);
    ok = WriteDecimal(key, "ScreenSaveTimeOut", values.saverTimeout) && ok;
    if (IsNtPlatform()) {
      ok = WriteDecimal(key, "ScreenSaverIsSecure", values.passwordActive) && ok;
    } else {
      int password = values.passwordActive;
      ok = SaveRegValue(key, "ScreenSaveUsePassword", REG_DWORD, &password, sizeof(password)) == ERROR_SUCCESS && ok;
    }
    RegCloseKey(key);
  }
  if (!ok) LogMessage(kLogError, TrNoop("SaveWindowsSaverSettings: Error writing to registry"));
  // The running system follows in every case; these act on the current user.
  const UINT flags = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;
  SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, values.saverActive, nullptr, flags);
  SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, values.saverTimeout, nullptr, flags);
  SystemParametersInfoA(SPI_SETSCREENSAVESECURE, values.passwordActive, nullptr, flags);
  generation++;
  return ok ? 1 : 0;
}

int StoreWindowsSaverSettings(const SaverSettingsValues& values) {
  ApplyWindowsSaverSettings(values);
  return SaveWindowsSaverSettings(HKEY_CURRENT_USER, values);
}

bool GetCurrentSaverPath(char* destination, int length) {
  char path[kSaverPathBufferSize] = {};
  if (IsNtPlatform()) {
    // One byte short of the buffer, so a value stored without its terminator still ends.
    if (QueryCurrentSaver(path, sizeof(path) - 1) != ERROR_SUCCESS) path[0] = 0;
  } else {
    GetPrivateProfileStringA("boot", kSaverValue, "", path, sizeof(path), "system.ini");
  }
  path[sizeof(path) - 1] = 0;
  StripQuotes(path);
  if (destination && length > 0) CopyText(destination, path, length);
  return path[0] && _stricmp(path, "(NONE)") != 0;
}

SaverInfo* FindCurrentSaver() {
  char current[kPathSize];
  if (!GetCurrentSaverPath(current, sizeof(current))) return nullptr;
  return FindSaverForPath(current);
}

SaverInfo* FindSaverForPath(const char* current) {
  if (IsEmptyText(current) || _stricmp(current, "(NONE)") == 0) return nullptr;
  SaverInfo* byName = nullptr;
  for (int i = 0; i < AppState.saverCount && AppState.savers; i++) {
    SaverInfo* saver = &AppState.savers[i];
    if (!saver->displayName) continue;
    if (!IsEmptyText(saver->fullPath) && FindTextNoCase(current, saver->fullPath)) return saver;
    if ((!IsEmptyText(saver->longName) && FindTextNoCase(current, saver->longName)) ||
        (!IsEmptyText(saver->shortName) && FindTextNoCase(current, saver->shortName)))
      byName = saver;
  }
  return byName;
}

int SetCurrentSaver(const char* path, HKEY root) {
  if (!root) root = HKEY_CURRENT_USER;
  bool empty = IsEmptyText(path);
  if (!empty) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      LogMessage(kLogError, TrNoop("Error setting screen saver\nCan't open file: %s\nRefreshing savers list..."), path);
      HWND window = AppState.mainWindow;
      if (window) SendMessageA(window, WM_COMMAND, kCmdRefreshSavers, 0);
      return 0;
    }
    CloseHandle(file);
  }
  bool ok = false;
  if (IsNtPlatform()) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, kDesktopKey, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
      if (empty) {
        LONG status = RegDeleteValueA(key, kSaverValue);
        ok = status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
      } else {
        ok = SaveRegValue(key, kSaverValue, REG_SZ, path, 0) == ERROR_SUCCESS;
      }
      RegCloseKey(key);
    }
  } else {
    ok = WritePrivateProfileStringA("boot", kSaverValue, empty ? nullptr : path, "system.ini") != 0;
  }
  if (!ok) LogMessage(kLogError, TrNoop("Error setting screen saver"));
  AnnounceChange(kChangedCurrentSaver);
  return ok ? 1 : 0;
}
