// The program's own settings under HKEY_CURRENT_USER\Software\Dozelite and the log-on
// "Run" entry.
#pragma once

#include <windows.h>

int LoadSettings();  // 1 if the key could be opened
int SaveSettings();  // 1, or 0 if the key could not be opened or created
// RegQueryValueExA's status; the value's type is neither asked for nor checked (the
// `type` argument is unused), `size` is the capacity of `data` in bytes.
LONG QueryRegValue(HKEY key, const char* name, DWORD type, void* data, DWORD size);
// ERROR_SUCCESS or a Windows status. REG_DWORD writes the 4 bytes at `data`; REG_SZ the
// text at `data` with its terminator (`size` is not used for either); a null text or any
// other type fails with ERROR_INVALID_PARAMETER, the latter also logged as an error.
LONG SaveRegValue(HKEY key, const char* name, DWORD type, const void* data, DWORD size);
// The "language" value: the tag of the language chosen for the program, empty to follow
// Windows. Read and written with the other settings; a load without the value empties it.
constexpr int kLanguageSettingSize = 88;  // longer than any tag a language is matched from
const char* GetLanguageSetting();
// False, and the setting unchanged, for a tag too long to keep.
bool SetLanguageSetting(const char* tag);
bool GetLoadAtStartup(const char* name);
// Whether the "Run" value starts the program at `path`, written quoted or bare.
bool LoadAtStartupStarts(const char* name, const char* path);
// Main thread: the "Run" entry as the program last learnt or set it; read only when not
// known yet. LoadSettings forgets it.
bool KnownLoadAtStartup(const char* name);
// Adds (with `path`, or this executable's path when none; written quoted) or removes the
// "Run" value.
bool SetLoadAtStartup(const char* name, bool on, const char* path = nullptr);
