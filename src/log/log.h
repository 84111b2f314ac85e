// The diagnostic log: timestamped lines collected in a 4096-byte buffer and appended
// to the log file as UTF-8, plus the program's message boxes. Safe to call from any thread.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr int kLogLogOnly = 1;     // level 1: log only (box while debug messages are on)
constexpr int kLogInfo = 2;        // level 2: log and information box
constexpr int kLogError = 4;       // level 4: log and error box
constexpr int kLogDebugError = 5;  // level 5: log only, error icon when shown
constexpr int kLogBufferSize = 4096;
constexpr int kLogMessageSize = 1024;
constexpr intptr_t kLogNoArgument = -27459;  // 0xFFFF94BD: an absent argument slot

// One argument slot of LogMessage: an integer or a text pointer. A default-constructed
// slot is absent; so is an integer equal to the marker value.
struct LogArg {
  intptr_t value = kLogNoArgument;
  LogArg() = default;
  LogArg(int v) : value(v) {}
  LogArg(unsigned v) : value(static_cast<intptr_t>(v)) {}
  LogArg(long v) : value(v) {}
  LogArg(unsigned long v) : value(static_cast<intptr_t>(v)) {}
  LogArg(long long v) : value(static_cast<intptr_t>(v)) {}
  LogArg(unsigned long long v) : value(static_cast<intptr_t>(v)) {}
  LogArg(const char* text) : value(reinterpret_cast<intptr_t>(text)) {}
  LogArg(char* text) : value(reinterpret_cast<intptr_t>(text)) {}
  LogArg(const void* pointer) : value(reinterpret_cast<intptr_t>(pointer)) {}
  bool present() const { return value != kLogNoArgument; }
};

void InitLog(HWND owner, const char* caption, const char* path);
void SetLogWindow(HWND owner);
int LogMessage(int level, const char* format, LogArg a = LogArg(), LogArg b = LogArg(), LogArg c = LogArg());
int LogLastError(int level, const char* context);
int LogFileDump();
int ClearLog();
char* ReadLogFile();  // free() the result
void GetLogFilePath(char* destination);  // at least MAX_PATH characters
void SetAutoLogToFile(bool on);
bool GetAutoLogToFile();
void SetShowDebugMessages(bool on);
bool GetShowDebugMessages();
void CloseLog();
// For the crash report: appends a time-stamped line and writes the buffer to the file,
// never showing anything and never waiting long for a lock a faulting thread may hold.
int LogCrashLine(const char* text);
int FormatDateTime(char* destination, int capacity, const SYSTEMTIME* time = nullptr);

// Text in the code page `codePage` as UTF-8 (the log file's encoding); returns the bytes
// written, 0 when it does not fit. Whole characters only: the input ends between them.
int TextToUtf8(UINT codePage, const char* text, int length, char* destination, int capacity);

// For tests: the text buffered and not yet written to the file.
int GetLogBufferedText(char* destination, int capacity);
