// The power report in two processes. The asking one (a worker of the diagnosis) makes a
// message-only window, starts this program elevated with "powerreport=<window>.<nonce>"
// and waits for it, answering sent messages meanwhile. The elevated copy runs powercfg.exe
// by its full path (no shell, so no variable of the user's environment is expanded into
// its command), reads the output through an anonymous pipe (no file the user could swap
// for a link), ends powercfg when it overruns, and sends the text back as WM_COPYDATA
// tagged with the nonce. Nothing outlives the exchange: the elevated copy ends by its own
// limit, and the asking side ends it too (where its handle allows) when the wait is over.
#include "diagnose/power_report.h"

#include <bcrypt.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "diagnose/diagnose.h"
#include "diagnose/power_probe.h"
#include "language/text.h"
#include "log/log.h"
#include "shell/text_helpers.h"

namespace {

constexpr const char* kOption = "powerreport=";
constexpr const char* kReceiverClass = "DozelitePowerReport";
constexpr DWORD kSendBackMs = 5000;
constexpr DWORD kReaderEndMs = 5000;
constexpr int kProgramSize = 1024;  // a path under the UTF-8 code page, in bytes
constexpr int kCommandSize = 2 * kProgramSize;
constexpr DWORD kReadChunk = 4096;

constexpr const char* kNoReport = TrNoop("powercfg wrote no report.");
constexpr const char* kDidNotRun =
    TrNoop("powercfg /requests did not run: the elevation was declined or the program could not start.");
constexpr const char* kNoAnswer = TrNoop("powercfg /requests did not report in time; it was ended.");

bool IsSeparator(char c) { return c == ' ' || c == '\t'; }

// "<digits>" into *value; the text after the digits in *end. False without digits or on
// overflow.
bool ReadDecimal(const char* text, unsigned long long* value, const char** end) {
  unsigned long long number = 0;
  const char* at = text;
  for (; *at >= '0' && *at <= '9'; at++) {
    unsigned digit = static_cast<unsigned>(*at - '0');
    if (number > (~0ull - digit) / 10) return false;
    number = number * 10 + digit;
  }
  if (at == text) return false;
  *value = number;
  *end = at;
  return true;
}

// The elevated copy's whole command line, exactly: blanks, "powerreport=<window>.<nonce>",
// blanks. Anything else is not a hand-off.
bool ParseHandOff(const char* commandLine, HWND* window, unsigned long long* nonce) {
  if (!commandLine) return false;
  const char* at = commandLine;
  while (IsSeparator(*at)) at++;
  size_t optionLength = strlen(kOption);
  if (_strnicmp(at, kOption, optionLength) != 0) return false;
  at += optionLength;
  unsigned long long handle = 0;
  if (!ReadDecimal(at, &handle, &at) || *at++ != '.' || !ReadDecimal(at, nonce, &at)) return false;
  while (IsSeparator(*at)) at++;
  if (*at) return false;
  *window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(handle));
  return true;
}

// ---------------------------------------------------------------- the elevated copy

struct PipeReader {
  HANDLE pipe;
  char* text;
  DWORD length;
};

// Reads to the end of the output; what passes the longest report is read and dropped, so
// the program never blocks on a full pipe.
DWORD WINAPI ReadPipe(void* parameter) {
  auto* reader = static_cast<PipeReader*>(parameter);
  char scratch[kReadChunk];
  for (;;) {
    DWORD room = kLongestPowerReport - reader->length;
    char* into = room > 0 ? reader->text + reader->length : scratch;
    DWORD read = 0;
    if (!ReadFile(reader->pipe, into, room > 0 && room < kReadChunk ? room : kReadChunk, &read, nullptr) || read == 0)
      break;
    if (room > 0) reader->length += read;
  }
  return 0;
}

// Runs the program with its output and errors into a pipe; the text read (malloc'd,
// terminated) or null when it could not start. *overran when it was ended at the limit.
char* RunCaptured(const char* program, const char* arguments, DWORD runMs, bool* overran) {
  *overran = false;
  char command[kCommandSize];
  snprintf(command, sizeof(command), "\"%s\" %s", program, arguments);
  char folder[kProgramSize];
  UINT folderLength = GetSystemDirectoryA(folder, sizeof(folder));
  if (folderLength == 0 || folderLength >= sizeof(folder)) return nullptr;

  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return nullptr;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input != INVALID_HANDLE_VALUE ? input : nullptr;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION process = {};
  BOOL started = CreateProcessA(program, command, nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, folder,
                                &startup, &process);
  CloseHandle(writeEnd);  // the program's copy is the only writer left
  if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
  PipeReader* reader = nullptr;
  HANDLE thread = nullptr;
  if (started) {
    CloseHandle(process.hThread);
    reader = static_cast<PipeReader*>(calloc(1, sizeof(PipeReader)));
    if (reader) reader->text = static_cast<char*>(malloc(kLongestPowerReport + 1));
    if (reader && reader->text) {
      reader->pipe = readEnd;
      thread = CreateThread(nullptr, 0, ReadPipe, reader, 0, nullptr);
    }
    if (!thread || WaitForSingleObject(process.hProcess, runMs) != WAIT_OBJECT_0) {
      *overran = thread != nullptr;
      TerminateProcess(process.hProcess, 1);
      WaitForSingleObject(process.hProcess, kReaderEndMs);
    }
    CloseHandle(process.hProcess);
  }
  char* text = nullptr;
  if (thread) {
    // With the program gone the pipe ends. A reader that still hangs keeps its buffer and
    // its pipe: this process ends right after.
    if (WaitForSingleObject(thread, kReaderEndMs) == WAIT_OBJECT_0) {
      reader->text[reader->length] = 0;
      text = reader->text;
      free(reader);
      CloseHandle(readEnd);
    }
    CloseHandle(thread);
  } else {
    if (reader) free(reader->text);
    free(reader);
    CloseHandle(readEnd);
  }
  return text;
}

// ---------------------------------------------------------------- the asking side

struct ReportJob {
  HWND owner;
  unsigned long long nonce;
  char* text;  // as handed back; null until then
};

// WM_COPYDATA from the elevated copy: taken once, and only with the job's nonce.
LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_COPYDATA) return DefWindowProcA(window, message, wParam, lParam);
  auto* job = reinterpret_cast<ReportJob*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (!job || !data || job->text || data->dwData != static_cast<ULONG_PTR>(job->nonce) ||
      data->cbData > kLongestPowerReport || (data->cbData > 0 && !data->lpData))
    return FALSE;
  job->text = static_cast<char*>(malloc(data->cbData + 1));
  if (!job->text) return FALSE;
  if (data->cbData > 0) memcpy(job->text, data->lpData, data->cbData);
  job->text[data->cbData] = 0;
  return TRUE;
}

HWND MakeReceiver(ReportJob* job) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ReceiverProc;
  windowClass.hInstance = module;
  windowClass.lpszClassName = kReceiverClass;
  RegisterClassA(&windowClass);  // fails harmlessly once registered
  HWND window = CreateWindowExA(0, kReceiverClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
  if (window) SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(job));
  return window;
}

// Waits for the process to end, answering the messages sent to this thread meanwhile;
// false when the time ran out.
bool WaitAnswering(HANDLE process, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    DWORD waited = GetTickCount() - start;
    if (waited >= timeoutMs) return false;
    DWORD woke = MsgWaitForMultipleObjects(1, &process, FALSE, timeoutMs - waited, QS_SENDMESSAGE | QS_POSTMESSAGE);
    if (woke == WAIT_OBJECT_0) return true;
    if (woke != WAIT_OBJECT_0 + 1) return false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
}

// The report is whatever the elevated copy handed back; blank output says so.
char* ReportText(char* handedBack, bool ran) {
  if (!handedBack) return DuplicateText(Tr(ran ? kNoAnswer : kDidNotRun));
  for (const char* at = handedBack; *at; at++)
    if (*at != ' ' && *at != '\t' && *at != '\r' && *at != '\n') return handedBack;
  free(handedBack);
  return DuplicateText(Tr(kNoReport));
}

DWORD WINAPI PowerReportThread(void* parameter) {
  ReportJob* job = static_cast<ReportJob*>(parameter);
  HWND receiver = MakeReceiver(job);
  char program[kProgramSize];
  DWORD length = GetModuleFileNameA(nullptr, program, sizeof(program));
  bool ran = false;
  if (receiver && length > 0 && length < sizeof(program)) {
    char parameters[96];
    snprintf(parameters, sizeof(parameters), "%s%llu.%llu", kOption,
             static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(receiver)), job->nonce);
    HANDLE process = StartElevatedEntry(program, parameters);
    if (process) {
      ran = WaitAnswering(process, kPowerReportWaitMs);
      if (!ran) {
        TerminateProcess(process, 1);  // where the handle allows; it ends by its own limit anyway
        LogMessage(kLogLogOnly, "Diagnose: the power report did not end in time");
      }
      CloseHandle(process);
    }
  }
  if (receiver) DestroyWindow(receiver);
  char* text = ReportText(job->text, ran);
  if (!text || !PostMessageA(job->owner, kDiagnoseReportMessage, 0, reinterpret_cast<LPARAM>(text))) free(text);
  free(job);
  return 0;
}

}  // namespace

bool IsPowerReportHandOff(const char* commandLine) {
  HWND window = nullptr;
  unsigned long long nonce = 0;
  return ParseHandOff(commandLine, &window, &nonce);
}

int RunPowerReportHandOff(const char* commandLine, const char* program, const char* arguments, DWORD runMs) {
  HWND window = nullptr;
  unsigned long long nonce = 0;
  if (!ParseHandOff(commandLine, &window, &nonce) || !IsWindow(window)) return 2;
  bool overran = false;
  char* text = RunCaptured(program, arguments, runMs, &overran);
  const char* sent = text ? text : kDidNotRun;
  char* ended = nullptr;
  if (overran) {
    size_t size = strlen(kNoAnswer) + 2 + strlen(sent) + 1;
    ended = static_cast<char*>(malloc(size));
    if (ended) snprintf(ended, size, "%s\r\n%s", kNoAnswer, sent);
    if (ended) sent = ended;
  }
  COPYDATASTRUCT data = {static_cast<ULONG_PTR>(nonce), static_cast<DWORD>(strlen(sent)), const_cast<char*>(sent)};
  DWORD_PTR answer = 0;
  bool handed = SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                    kSendBackMs, &answer) &&
                answer == TRUE;
  free(ended);
  free(text);
  return handed ? 0 : 1;
}

int RunPowerReportHandOff(const char* commandLine) {
  char program[kProgramSize];
  UINT length = GetSystemDirectoryA(program, sizeof(program));
  if (length == 0 || length >= sizeof(program) || !JoinPath(program, "powercfg.exe", sizeof(program))) return 2;
  return RunPowerReportHandOff(commandLine, program, "/requests", kPowerReportRunMs);
}

bool StartPowerReport(HWND owner) {
  auto* job = static_cast<ReportJob*>(calloc(1, sizeof(ReportJob)));
  if (!job) return false;
  job->owner = owner;
  if (BCryptGenRandom(nullptr, reinterpret_cast<unsigned char*>(&job->nonce), sizeof(job->nonce),
                      BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0) {
    free(job);
    LogMessage(kLogError, TrNoop("The power report could not be started."));
    return false;
  }
  HANDLE thread = CreateThread(nullptr, 0, PowerReportThread, job, 0, nullptr);
  if (!thread) {
    free(job);
    LogMessage(kLogError, TrNoop("The power report could not be started."));
    return false;
  }
  CloseHandle(thread);
  return true;
}
