// LoadSettings and SaveSettings: the whole set of the program's settings, read and
// written in one pass each, driven by one table of value names and fields. A value that
// is missing, of another size or unreadable leaves its field as it was; every text read
// from the registry is terminated inside its field, whatever length was stored.
#include "settings/settings_store.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "language/text.h"
#include "log/log.h"
#include "settings/policy_store.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"

namespace {

constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kPathValuePrefix = "saverpath";
constexpr int kRunPathSize = 800;  // 260 characters of up to 3 UTF-8 bytes each

struct IntSetting {
  const char* name;
  int* plain;
  std::atomic<int>* shared;  // fields the corner watcher reads
};

// The DWORD block as LoadSettings reads it.
const IntSetting kLoadOrder[] = {
    {"delay", &AppState.delay, nullptr},
    {"nosplash", &AppState.nosplash, nullptr},
    {"notips", &AppState.notips, nullptr},
    {"tipnumber", &AppState.tipnumber, nullptr},
    {"randomonactivate", &AppState.randomonactivate, nullptr},
    {"randomonclick", &AppState.randomonclick, nullptr},
    {"randomonload", &AppState.randomonload, nullptr},
    {"corneraction", nullptr, &AppState.corneraction},
    {"splitlist", &AppState.splitlist, nullptr},
    {"chooselaunch", &AppState.chooselaunch, nullptr},
    {"unifiedlist", &AppState.unifiedlist, nullptr},
    {"notifications", &AppState.notifications, nullptr},
    {"singleLeftActionMessage", &AppState.singleLeftActionMessage, nullptr},
    {"doubleLeftActionMessage", &AppState.doubleLeftActionMessage, nullptr},
    {"singleRightActionMessage", &AppState.singleRightActionMessage, nullptr},
    {"doubleRightActionMessage", &AppState.doubleRightActionMessage, nullptr},
    {"topLeftActionMessage", nullptr, &AppState.topLeftActionMessage},
    {"bottomLeftActionMessage", nullptr, &AppState.bottomLeftActionMessage},
    {"topRightActionMessage", nullptr, &AppState.topRightActionMessage},
    {"bottomRightActionMessage", nullptr, &AppState.bottomRightActionMessage},
    {"selectionActionMessageBase", &AppState.selectionActionMessageBase, nullptr},
    {"cornerscope", nullptr, &AppState.cornerscope},
    {"cornerdelay", nullptr, &AppState.cornerdelay},
    {"cornersfullscreen", nullptr, &AppState.cornersfullscreen},
};

void SetInt(const IntSetting& setting, int value) {
  if (setting.plain)
    *setting.plain = value;
  else
    *setting.shared = value;
}

int GetInt(const IntSetting& setting) { return setting.plain ? *setting.plain : setting.shared->load(); }

void SettingsKeyPath(char* path, int size) { snprintf(path, size, "Software\\%s", kProductName); }

bool ReadInt(HKEY key, const char* name, int* value) {
  DWORD data = 0;
  if (QueryRegValue(key, name, REG_DWORD, &data, sizeof(data)) != ERROR_SUCCESS) return false;
  *value = static_cast<int>(data);
  return true;
}

// Reads a text into a local buffer of the field's size, so a failed read never touches
// the field, and ends it inside the field even when the stored data had no terminator.
bool ReadText(HKEY key, const char* name, char* field, int size) {
  char buffer[kPathSize];
  if (size <= 0 || size > kPathSize) return false;
  DWORD capacity = static_cast<DWORD>(size);
  LONG status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &capacity);
  if (status != ERROR_SUCCESS) return false;
  DWORD end = capacity < static_cast<DWORD>(size) ? capacity : static_cast<DWORD>(size) - 1;
  buffer[end] = 0;
  CopyText(field, buffer, size);
  return true;
}

// The search path values as this store last saw them: how many numbers from 0 on it has
// read or written, and which of those hold a value it could not use. Such a value keeps
// its number and is never deleted; only numbers the store has seen are ever deleted.
struct StoredPathValues {
  int known;
  bool unusable[kMaxSaverPaths];
};
StoredPathValues storedPaths = {};

// A search folder is at most 32,767 UTF-16 characters, each at most 3 UTF-8 bytes.
constexpr DWORD kLongestFolder = 32767 * 3;

// Reads a text value at its real size: the status of the last query, and on success a
// heap copy ended after the bytes stored (and at the first zero among them). The size
// is asked again while the value grows between the queries.
LONG ReadWholeText(HKEY key, const char* name, char** text) {
  *text = nullptr;
  DWORD capacity = 512;
  for (int attempt = 0; attempt < 8; attempt++) {
    char* buffer = static_cast<char*>(malloc(capacity + 1));
    if (!buffer) return ERROR_NOT_ENOUGH_MEMORY;
    DWORD size = capacity;
    LONG status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    if (status == ERROR_SUCCESS) {
      buffer[size < capacity ? size : capacity] = 0;
      *text = buffer;
      return ERROR_SUCCESS;
    }
    free(buffer);
    if (status != ERROR_MORE_DATA) return status;
    if (capacity >= kLongestFolder) return ERROR_MORE_DATA;
    DWORD next = size > capacity * 2 ? size : capacity * 2;
    capacity = next < kLongestFolder ? next : kLongestFolder;
  }
  return ERROR_MORE_DATA;
}

// Every value from number 0 up to the first missing one is read; one that cannot be used
// (unreadable, empty, beyond the longest folder) is left out of the list with a log line.
void ReadSearchPaths(HKEY key) {
  FreeSaverPaths();
  storedPaths.known = 0;
  int used = 0;
  for (int n = 0; n < kMaxSaverPaths - 1; n++) {
    char name[32];
    snprintf(name, sizeof(name), "%s%d", kPathValuePrefix, n);
    char* folder = nullptr;
    LONG status = ReadWholeText(key, name, &folder);
    if (status == ERROR_FILE_NOT_FOUND) break;
    storedPaths.known = n + 1;
    storedPaths.unusable[n] = status != ERROR_SUCCESS || IsEmptyText(folder);
    if (storedPaths.unusable[n]) {
      LogMessage(kLogLogOnly, "LoadSettings: %s cannot be used (%d), kept as it is", name, static_cast<int>(status));
      free(folder);
      continue;
    }
    AppState.saverpath[used++] = folder;
  }
}

void AddDefaultFolder(int slot, UINT (*getter)(LPSTR, UINT)) {
  char folder[kPathSize] = "";
  UINT length = getter(folder, sizeof(folder));
  if (length == 0 || length >= sizeof(folder)) return;
  SetTrailingBackslash(folder, false);
  AppState.saverpath[slot] = DuplicateText(folder);
}

void UseDefaultSearchPaths() {
  FreeSaverPaths();
  AddDefaultFolder(0, GetWindowsDirectoryA);
  AddDefaultFolder(AppState.saverpath[0] ? 1 : 0, GetSystemDirectoryA);
}

// A value a policy gives is the organisation's, not the user's: the user's own stays as it
// is in the registry, to come back when the policy goes.
void WriteInt(HKEY key, const char* name, int value) {
  if (IsSetByPolicy(name)) return;
  SaveRegValue(key, name, REG_DWORD, &value, sizeof(value));
}

// Over whatever the user's own settings said.
void ApplyPolicies() {
  int value;
  for (const IntSetting& setting : kLoadOrder)
    if (GetPolicyValue(setting.name, &value)) SetInt(setting, value);
  if (GetPolicyValue("autolog", &value)) SetAutoLogToFile(value != 0);
}

// The list goes into the numbers from 0 on, passing over those that hold a value the
// load could not use; numbers read or written before and now beyond the list are deleted.
void WriteSearchPaths(HKEY key) {
  char name[32];
  int n = 0;
  for (int i = 0; i < kMaxSaverPaths - 1 && AppState.saverpath[i] && n < kMaxSaverPaths - 1; n++) {
    if (n < storedPaths.known && storedPaths.unusable[n]) continue;
    if (n >= storedPaths.known) storedPaths.unusable[n] = false;
    snprintf(name, sizeof(name), "%s%d", kPathValuePrefix, n);
    SaveRegValue(key, name, REG_SZ, AppState.saverpath[i++], 0);
  }
  int known = n;
  for (int old = n; old < storedPaths.known; old++) {
    if (storedPaths.unusable[old]) {
      known = old + 1;
      continue;
    }
    snprintf(name, sizeof(name), "%s%d", kPathValuePrefix, old);
    RegDeleteValueA(key, name);
  }
  storedPaths.known = known;
}

// What the program knows of its "Run" entry, so the menu need not ask the registry at
// every opening: learnt at the first look, kept by the program's own changes and
// forgotten by a reload, which is how an outside change is taken in. Main thread only.
struct KnownRunEntry {
  bool known;
  bool on;
  char name[64];
};
KnownRunEntry knownRun = {};

// Main thread only, like the rest of the settings.
char languageSetting[kLanguageSettingSize] = "";

// A missing value means Windows' language; one that cannot be read keeps what is held.
void ReadLanguage(HKEY key) {
  char tag[kLanguageSettingSize];
  DWORD size = sizeof(tag) - 1;
  LONG status = RegQueryValueExA(key, "language", nullptr, nullptr, reinterpret_cast<BYTE*>(tag), &size);
  if (status == ERROR_FILE_NOT_FOUND) {
    languageSetting[0] = 0;
  } else if (status == ERROR_SUCCESS) {
    tag[size < sizeof(tag) ? size : sizeof(tag) - 1] = 0;
    CopyText(languageSetting, tag, sizeof(languageSetting));
  } else {
    LogMessage(kLogLogOnly, "LoadSettings: language cannot be used (%d), kept as it is", static_cast<int>(status));
  }
}

void RememberRunEntry(const char* name, bool on) {
  knownRun.known = strlen(name) < sizeof(knownRun.name);
  knownRun.on = on;
  CopyText(knownRun.name, name, sizeof(knownRun.name));
}

}  // namespace

LONG QueryRegValue(HKEY key, const char* name, DWORD, void* data, DWORD size) {
  DWORD capacity = size;
  return RegQueryValueExA(key, name, nullptr, nullptr, static_cast<BYTE*>(data), &capacity);
}

LONG SaveRegValue(HKEY key, const char* name, DWORD type, const void* data, DWORD) {
  switch (type) {
    case REG_DWORD:
      if (!data) return ERROR_INVALID_PARAMETER;
      return RegSetValueExA(key, name, 0, REG_DWORD, static_cast<const BYTE*>(data), sizeof(DWORD));
    case REG_SZ: {
      if (!data) return ERROR_INVALID_PARAMETER;
      const char* text = static_cast<const char*>(data);
      return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                            static_cast<DWORD>(strlen(text) + 1));
    }
    default:
      LogMessage(kLogError, TrNoop("SaveRegValue: invalid dwType"));
      return ERROR_INVALID_PARAMETER;
  }
}

int LoadSettings() {
  knownRun.known = false;
  LoadPolicies();
  char path[64];
  SettingsKeyPath(path, sizeof(path));
  HKEY key = nullptr;
  int result = RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) == ERROR_SUCCESS;
  if (result) {
    for (const IntSetting& setting : kLoadOrder) {
      int value;
      if (ReadInt(key, setting.name, &value)) SetInt(setting, value);
    }
    ReadText(key, "showntips", AppState.showntips, sizeof(AppState.showntips));
    ReadText(key, "id", AppState.id, sizeof(AppState.id));
    ReadLanguage(key);
    int value;
    if (ReadInt(key, "debug", &value)) SetShowDebugMessages(value != 0);
    if (ReadInt(key, "autolog", &value)) SetAutoLogToFile(value != 0);
    for (HotKeyEntry& hotKey : AppState.hotKeys) {
      if (ReadInt(key, hotKey.keyValueName, &value)) hotKey.virtualKey = static_cast<UINT>(value);
      if (ReadInt(key, hotKey.modifiersValueName, &value)) hotKey.modifiers = static_cast<UINT>(value);
    }
    ReadSearchPaths(key);
    RegCloseKey(key);
  } else {
    storedPaths.known = 0;  // nothing was read, so nothing will be deleted
    languageSetting[0] = 0;
  }
  ApplyPolicies();
  if (!AppState.saverpath[0]) UseDefaultSearchPaths();
  if (!result) LogMessage(kLogLogOnly, "Error loading settings from registry");
  return result;
}

int SaveSettings() {
  char path[64];
  SettingsKeyPath(path, sizeof(path));
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    LogMessage(kLogError, TrNoop("Error saving settings to registry"));
    return 0;
  }
  const HotKeyEntry& activate = AppState.hotKeys[0];
  const HotKeyEntry& powerOff = AppState.hotKeys[1];
  WriteInt(key, "debug", GetShowDebugMessages() ? 1 : 0);
  WriteInt(key, "delay", AppState.delay);
  WriteInt(key, "loadatstartup", GetLoadAtStartup(kProductName) ? 1 : 0);
  WriteInt(key, "nosplash", AppState.nosplash);
  WriteInt(key, "notips", AppState.notips);
  WriteInt(key, "tipnumber", AppState.tipnumber);
  WriteInt(key, "randomonactivate", AppState.randomonactivate);
  WriteInt(key, "randomonclick", AppState.randomonclick);
  WriteInt(key, "randomonload", AppState.randomonload);
  WriteInt(key, "corneraction", AppState.corneraction);
  WriteInt(key, "cornerscope", AppState.cornerscope);
  WriteInt(key, "cornerdelay", AppState.cornerdelay);
  WriteInt(key, "cornersfullscreen", AppState.cornersfullscreen);
  WriteInt(key, "autolog", GetAutoLogToFile() ? 1 : 0);
  WriteInt(key, "splitlist", AppState.splitlist);
  WriteInt(key, "chooselaunch", AppState.chooselaunch);
  WriteInt(key, "unifiedlist", AppState.unifiedlist);
  WriteInt(key, "notifications", AppState.notifications);
  WriteInt(key, activate.keyValueName, static_cast<int>(activate.virtualKey));
  WriteInt(key, activate.modifiersValueName, static_cast<int>(activate.modifiers));
  WriteInt(key, powerOff.keyValueName, static_cast<int>(powerOff.virtualKey));
  WriteInt(key, powerOff.modifiersValueName, static_cast<int>(powerOff.modifiers));
  // The action messages in the order the store has always written them.
  for (const char* name : {"selectionActionMessageBase", "singleLeftActionMessage", "doubleLeftActionMessage",
                           "singleRightActionMessage", "doubleRightActionMessage", "topLeftActionMessage",
                           "bottomLeftActionMessage", "topRightActionMessage", "bottomRightActionMessage"}) {
    for (const IntSetting& setting : kLoadOrder)
      if (strcmp(setting.name, name) == 0) WriteInt(key, name, GetInt(setting));
  }
  SaveRegValue(key, "showntips", REG_SZ, AppState.showntips, 0);
  SaveRegValue(key, "id", REG_SZ, AppState.id, 0);
  SaveRegValue(key, "language", REG_SZ, languageSetting, 0);
  WriteSearchPaths(key);
  RegCloseKey(key);
  return 1;
}

const char* GetLanguageSetting() { return languageSetting; }

bool SetLanguageSetting(const char* tag) {
  if (!tag) tag = "";
  if (strlen(tag) >= sizeof(languageSetting)) return false;
  CopyText(languageSetting, tag, sizeof(languageSetting));
  return true;
}

bool GetLoadAtStartup(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  char data[kRunPathSize];
  LONG status = QueryRegValue(key, name, REG_SZ, data, sizeof(data));
  RegCloseKey(key);
  // A longer entry than the buffer exists all the same.
  return status == ERROR_SUCCESS || status == ERROR_MORE_DATA;
}

bool SetLoadAtStartup(const char* name, bool on, const char* path) {
  if (!on && !GetLoadAtStartup(name)) {
    RememberRunEntry(name, false);
    return true;
  }
  // Adding creates the "Run" key where a fresh profile has none yet.
  HKEY key = nullptr;
  LONG opened = on ? RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                     nullptr, &key, nullptr)
                   : RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, &key);
  if (opened != ERROR_SUCCESS) return false;
  LONG status;
  if (on) {
    char own[kRunPathSize] = "";
    if (!path) {
      DWORD length = GetModuleFileNameA(nullptr, own, sizeof(own));
      if (length == 0 || length >= sizeof(own)) {
        RegCloseKey(key);
        return false;
      }
      path = own;
    }
    // Quoted, so that a path with spaces is one program to whoever reads the value.
    char quoted[kRunPathSize + 2];
    snprintf(quoted, sizeof(quoted), "\"%s\"", path);
    status = SaveRegValue(key, name, REG_SZ, quoted, 0);
  } else {
    status = RegDeleteValueA(key, name);
  }
  RegCloseKey(key);
  if (status == ERROR_SUCCESS)
    RememberRunEntry(name, on);
  else
    knownRun.known = false;
  return status == ERROR_SUCCESS;
}

bool LoadAtStartupStarts(const char* name, const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  char data[kRunPathSize + 2];
  LONG status = QueryRegValue(key, name, REG_SZ, data, sizeof(data) - 1);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return false;
  data[sizeof(data) - 1] = 0;
  char program[kRunPathSize + 2];
  SplitProgramCommand(data, program, sizeof(program));
  return lstrcmpiA(program, path) == 0;
}

bool KnownLoadAtStartup(const char* name) {
  if (knownRun.known && strcmp(knownRun.name, name) == 0) return knownRun.on;
  bool on = GetLoadAtStartup(name);
  RememberRunEntry(name, on);
  return on;
}
