// The log: one process-wide buffer of lines, dumped to the log file after every line
// (auto-log) or when it fills, on request and at exit.
//
// Serialisation: one critical section guards the buffer and the switches; message boxes
// are shown after it is released so a modal box never blocks another thread's logging.
// A failing dump reports itself through the log once per run of failures and never
// re-enters the dump from that report. When the file stays unwritable and the buffer is
// full, new lines are dropped (the oldest ones, with the failure report, are kept) and
// counted; the next successful dump notes how many were lost.
#include "log/log.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "language/text.h"
#include "shell/entry_points.h"
#include "shell/text_helpers.h"

namespace {

struct LogState {
  CRITICAL_SECTION lock;
  bool lockReady = false;
  HWND owner = nullptr;
  char caption[128] = "Dozelite";
  char path[MAX_PATH] = "";
  char buffer[kLogBufferSize] = "";
  int length = 0;
  bool autoLog = true;
  bool showDebug = false;
  bool dumpFailing = false;   // the last dump failed; its report was written already
  int droppedLines = 0;       // lines lost while the buffer was full and the file unwritable
};

LogState log;
INIT_ONCE lockOnce = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK InitLock(PINIT_ONCE, PVOID, PVOID*) {
  InitializeCriticalSection(&log.lock);
  log.lockReady = true;
  return TRUE;
}

struct LogLock {
  LogLock() {
    InitOnceExecuteOnce(&lockOnce, InitLock, nullptr, nullptr);
    EnterCriticalSection(&log.lock);
  }
  ~LogLock() { LeaveCriticalSection(&log.lock); }
  LogLock(const LogLock&) = delete;
  LogLock& operator=(const LogLock&) = delete;
};

void AppendLine(const char* line, int lineLength) {
  if (lineLength > kLogBufferSize - 3) lineLength = kLogBufferSize - 3;
  if (log.length + lineLength + 3 > kLogBufferSize) {
    log.droppedLines++;
    return;
  }
  memcpy(log.buffer + log.length, line, lineLength);
  log.length += lineLength;
  log.buffer[log.length++] = '\r';
  log.buffer[log.length++] = '\n';
  log.buffer[log.length] = 0;
}

void BuildErrorText(char* destination, int capacity, const char* context, DWORD code) {
  char* system = nullptr;
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
                 nullptr, code, 0x400, reinterpret_cast<char*>(&system), 0, nullptr);
  snprintf(destination, capacity, "%s : %s (errorCode: %lu)", context ? context : "", system ? system : "",
           static_cast<unsigned long>(code));
  if (system) LocalFree(system);
}

void AppendTimestamped(const char* message) {
  char line[kLogMessageSize + 64];
  FormatDateTime(line, sizeof(line));
  size_t used = strlen(line);
  line[used++] = ' ';
  CopyText(line + used, message, static_cast<int>(sizeof(line) - used));
  AppendLine(line, static_cast<int>(strlen(line)));
}

// The file is UTF-8 whatever the code page. Under the UTF-8 code page (the program's
// manifest asks for it) the buffer already is; on systems that ignore that request its
// text is converted, line ends included, before it is written.
void WriteLogText(HANDLE file, const char* text, int length) {
  DWORD written = 0;
  if (GetACP() == CP_UTF8) {
    WriteFile(file, text, static_cast<DWORD>(length), &written, nullptr);
    return;
  }
  char utf8[kLogBufferSize * 3];
  int converted = TextToUtf8(CP_ACP, text, length, utf8, sizeof(utf8));
  WriteFile(file, converted > 0 ? utf8 : text, static_cast<DWORD>(converted > 0 ? converted : length), &written,
            nullptr);
}

// Called with the lock held. The failure lines go straight into the buffer: reporting
// through LogMessage would ask for another dump of the same unwritable file.
int DumpLocked() {
  if (log.path[0] == 0) return 0;
  HANDLE file = CreateFileA(log.path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    if (!log.dumpFailing) {
      log.dumpFailing = true;
      char text[kLogMessageSize];
      BuildErrorText(text, sizeof(text), "Can't open log file", code);
      AppendTimestamped(text);
      BuildErrorText(text, sizeof(text), "LogFileDump failed", code);
      AppendTimestamped(text);
    }
    return 0;
  }
  log.dumpFailing = false;
  SetFilePointer(file, 0, nullptr, FILE_END);
  WriteLogText(file, log.buffer, log.length);
  if (log.droppedLines > 0) {
    char note[kLogMessageSize + 64];
    FormatDateTime(note, sizeof(note));
    size_t used = strlen(note);
    snprintf(note + used, sizeof(note) - used, " LogFileDump: %d lines were dropped while the log file could not be opened\r\n",
             log.droppedLines);
    WriteLogText(file, note, static_cast<int>(strlen(note)));
    log.droppedLines = 0;
  }
  log.length = 0;
  log.buffer[0] = 0;
  CloseHandle(file);
  return 1;
}

void BuildMessage(char* message, const char* format, const LogArg& a, const LogArg& b, const LogArg& c) {
  if (!format) {
    CopyText(message, "ERROR", kLogMessageSize);
  } else if (!a.present()) {
    CopyText(message, format, kLogMessageSize);
  } else if (!b.present()) {
    wsprintfA(message, format, a.value);
  } else if (!c.present()) {
    wsprintfA(message, format, a.value, b.value);
  } else {
    wsprintfA(message, format, a.value, b.value, c.value);
  }
  message[kLogMessageSize - 1] = 0;
  // A message cut at the limit ends before the character that did not fit.
  int length = static_cast<int>(strlen(message));
  if (length == kLogMessageSize - 1) message[Utf8CutLength(message, length)] = 0;
}

}  // namespace

int TextToUtf8(UINT codePage, const char* text, int length, char* destination, int capacity) {
  if (!text || !destination || length <= 0 || capacity <= 0) return 0;
  if (codePage == CP_UTF8 || (codePage == CP_ACP && GetACP() == CP_UTF8)) {
    if (length > capacity) return 0;
    memcpy(destination, text, static_cast<size_t>(length));
    return length;
  }
  WCHAR wide[kLogBufferSize];
  int wideLength = MultiByteToWideChar(codePage, 0, text, length, wide, kLogBufferSize);
  if (wideLength <= 0) return 0;
  return WideCharToMultiByte(CP_UTF8, 0, wide, wideLength, destination, capacity, nullptr, nullptr);
}

void InitLog(HWND owner, const char* caption, const char* path) {
  LogLock lock;
  log.owner = owner;
  CopyText(log.caption, caption ? caption : "", sizeof(log.caption));
  CopyText(log.path, path ? path : "", sizeof(log.path));
  log.buffer[0] = 0;
  log.length = 0;
  log.autoLog = true;
  log.showDebug = false;
  log.dumpFailing = false;
  log.droppedLines = 0;
}

void SetLogWindow(HWND owner) {
  LogLock lock;
  log.owner = owner;
}

namespace {

// Where and how a line's box is shown, once the lock is released.
struct BoxTarget {
  bool show = false;
  HWND owner = nullptr;
  char caption[sizeof(LogState::caption)] = "";
};

// Appends `message` (the English line) to the log; whether its level shows a box.
bool Record(int level, const char* message, BoxTarget* box) {
  try {
    LogLock lock;
    char line[kLogMessageSize + 64];
    FormatDateTime(line, sizeof(line));
    size_t used = strlen(line);
    line[used++] = ' ';
    CopyText(line + used, message, static_cast<int>(sizeof(line) - used));
    int lineLength = static_cast<int>(strlen(line));
    if (log.length + lineLength + 3 > kLogBufferSize) DumpLocked();
    AppendLine(line, lineLength);
    if (log.autoLog) DumpLocked();
    box->show = !(level & kLogLogOnly) || log.showDebug;
    box->owner = log.owner;
    CopyText(box->caption, log.caption, sizeof(box->caption));
  } catch (...) {
    MessageBoxEntry(nullptr, Tr("Error in Log"), log.caption, MB_OK | MB_ICONERROR);
    return false;
  }
  return true;
}

void ShowBox(int level, const BoxTarget& box, const char* text) {
  UINT icon = (level & kLogError) ? MB_ICONERROR : MB_ICONINFORMATION;
  MessageBoxEntry(box.owner, text, box.caption, MB_OK | icon);
}

}  // namespace

// The line is formatted from the English format; a box, from the format's translation
// with the same arguments (callers mark the formats of boxes with TrNoop).
int LogMessage(int level, const char* format, LogArg a, LogArg b, LogArg c) {
  char message[kLogMessageSize];
  BuildMessage(message, format, a, b, c);
  BoxTarget box;
  if (!Record(level, message, &box) || !box.show) return 1;
  const char* translated = format ? Tr(format) : nullptr;
  if (!translated || translated == format) {
    ShowBox(level, box, message);
  } else {
    char shown[kLogMessageSize];
    BuildMessage(shown, translated, a, b, c);
    ShowBox(level, box, shown);
  }
  return 1;
}

int LogLastError(int level, const char* context) {
  DWORD code = GetLastError();
  char text[kLogMessageSize];
  BuildErrorText(text, sizeof(text), context, code);
  BoxTarget box;
  if (!Record(level, text, &box) || !box.show) return 1;
  char shown[kLogMessageSize];
  BuildErrorText(shown, sizeof(shown), context ? Tr(context) : nullptr, code);
  ShowBox(level, box, shown);
  return 1;
}

int LogFileDump() {
  LogLock lock;
  return DumpLocked();
}

int ClearLog() {
  LogLock lock;
  DumpLocked();
  if (log.path[0] == 0) return 0;
  HANDLE file = CreateFileA(log.path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    char text[kLogMessageSize];
    BuildErrorText(text, sizeof(text), "Can't open log file", code);
    AppendTimestamped(text);
    BuildErrorText(text, sizeof(text), "ClearLog failed", code);
    AppendTimestamped(text);
    return 0;
  }
  CloseHandle(file);
  // Lines buffered by a failed dump above are gone with the file as well.
  log.length = 0;
  log.buffer[0] = 0;
  return 1;
}

char* ReadLogFile() {
  char path[MAX_PATH];
  {
    LogLock lock;
    DumpLocked();
    CopyText(path, log.path, sizeof(path));
  }
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    LogLastError(kLogLogOnly, "Can't open log file for reading");
    return static_cast<char*>(calloc(1, 1));
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) {
    CloseHandle(file);
    return static_cast<char*>(calloc(1, 1));
  }
  DWORD size = info.nFileSizeLow;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  char* text = static_cast<char*>(malloc(static_cast<size_t>(size) + 1));
  if (!text) {
    CloseHandle(file);
    return static_cast<char*>(calloc(1, 1));
  }
  DWORD read = 0;
  if (!ReadFile(file, text, size, &read, nullptr)) read = 0;
  text[read] = 0;
  CloseHandle(file);
  return text;
}

void GetLogFilePath(char* destination) {
  LogLock lock;
  CopyText(destination, log.path, MAX_PATH);
}

void SetAutoLogToFile(bool on) {
  LogLock lock;
  log.autoLog = on;
}

bool GetAutoLogToFile() {
  LogLock lock;
  return log.autoLog;
}

void SetShowDebugMessages(bool on) {
  LogLock lock;
  log.showDebug = on;
}

bool GetShowDebugMessages() {
  LogLock lock;
  return log.showDebug;
}

void CloseLog() {
  LogMessage(kLogLogOnly, "Closing log file.");
  LogLock lock;
  DumpLocked();
  log.length = 0;
  log.buffer[0] = 0;
}

// The lock may belong to a thread that stopped inside the log: after a second of trying,
// the line goes straight to the end of the file, behind whatever is buffered.
int LogCrashLine(const char* text) {
  InitOnceExecuteOnce(&lockOnce, InitLock, nullptr, nullptr);
  bool locked = false;
  for (int attempt = 0; attempt < 100 && !(locked = TryEnterCriticalSection(&log.lock)); attempt++) Sleep(10);
  if (locked) {
    AppendTimestamped(text);
    int dumped = DumpLocked();
    LeaveCriticalSection(&log.lock);
    return dumped;
  }
  if (log.path[0] == 0) return 0;
  char line[kLogMessageSize + 64];
  FormatDateTime(line, sizeof(line));
  AppendText(line, " ", sizeof(line));
  AppendText(line, text, sizeof(line) - 2);
  AppendText(line, "\r\n", sizeof(line));
  HANDLE file = CreateFileA(log.path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  DWORD written = 0;
  BOOL wrote = WriteFile(file, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
  CloseHandle(file);
  return wrote ? 1 : 0;
}

int FormatDateTime(char* destination, int capacity, const SYSTEMTIME* time) {
  if (!destination || capacity <= 0) return 0;
  char date[512] = "";
  char clock[512] = "";
  GetDateFormatA(0, LOCALE_NOUSEROVERRIDE | DATE_SHORTDATE, time, nullptr, date, sizeof(date));
  GetTimeFormatA(0, LOCALE_NOUSEROVERRIDE | TIME_NOTIMEMARKER | TIME_FORCE24HOURFORMAT, time, nullptr, clock,
                 sizeof(clock));
  snprintf(destination, capacity, "%s %s", date, clock);
  return 1;
}

int GetLogBufferedText(char* destination, int capacity) {
  LogLock lock;
  CopyText(destination, log.buffer, capacity);
  return log.length;
}
