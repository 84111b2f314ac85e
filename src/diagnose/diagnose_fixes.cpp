// The fixes the diagnosis offers. Each changes only what its check names, through the
// program's own operations, so the tray icon, the log and the registry follow as they do
// for the menu commands. The power report needs elevation and may wait on the user: a
// worker runs it and sends the text to the asking window.
#include <cstdio>
#include <cstdlib>

#include "diagnose/diagnose.h"
#include "diagnose/power_probe.h"
#include "log/log.h"
#include "shell/duration.h"
#include "shell/entry_points.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "system/saver_operations.h"

namespace {

constexpr DWORD kLongestReport = 256 * 1024;  // more than powercfg ever writes
constexpr int kCommandSize = MAX_PATH + 64;

struct ReportJob {
  HWND owner;
  char program[MAX_PATH];
  char output[MAX_PATH];
};

// The whole file as text, cut at kLongestReport; null when it cannot be read.
char* ReadReportFile(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  DWORD size = GetFileSize(file, nullptr);
  if (size == INVALID_FILE_SIZE || size > kLongestReport) size = kLongestReport;
  char* text = static_cast<char*>(malloc(size + 1));
  DWORD read = 0;
  if (text && !ReadFile(file, text, size, &read, nullptr)) read = 0;
  if (text) text[read] = 0;
  CloseHandle(file);
  return text;
}

DWORD WINAPI PowerReportThread(void* parameter) {
  ReportJob* job = static_cast<ReportJob*>(parameter);
  char parameters[kCommandSize];
  // Not quoted after /c, so cmd keeps the quotes around the output file.
  snprintf(parameters, sizeof(parameters), "/c powercfg /requests >\"%s\" 2>&1", job->output);
  bool ran = RunElevatedEntry(job->program, parameters, kElevatedWaitMs);
  char* text = ran ? ReadReportFile(job->output) : nullptr;
  DeleteFileA(job->output);
  if (!text)
    text = DuplicateText(ran ? "powercfg /requests wrote no report."
                             : "powercfg /requests did not run: the elevation was declined or it did not finish in time.");
  if (!text || !PostMessageA(job->owner, kDiagnoseReportMessage, 0, reinterpret_cast<LPARAM>(text))) free(text);
  free(job);
  return 0;
}

// cmd.exe from the system folder writing into a fresh temporary file; false when either
// path cannot be made.
bool StartPowerReport(HWND owner) {
  auto* job = static_cast<ReportJob*>(calloc(1, sizeof(ReportJob)));
  if (!job) return false;
  job->owner = owner;
  char folder[MAX_PATH];
  UINT length = GetSystemDirectoryA(job->program, sizeof(job->program));
  DWORD tempLength = GetTempPathA(sizeof(folder), folder);
  bool ready = length > 0 && length < sizeof(job->program) && JoinPath(job->program, "cmd.exe", sizeof(job->program)) &&
               tempLength > 0 && tempLength < sizeof(folder) && GetTempFileNameA(folder, "dzl", 0, job->output) != 0;
  HANDLE thread = ready ? CreateThread(nullptr, 0, PowerReportThread, job, 0, nullptr) : nullptr;
  if (!thread) {
    if (job->output[0]) DeleteFileA(job->output);
    free(job);
    LogMessage(kLogError, "The power report could not be started.");
    return false;
  }
  CloseHandle(thread);
  return true;
}

bool SetTimeoutBelowDisplay(HWND owner, int seconds) {
  if (seconds <= 0) return false;
  char duration[48];
  FormatDuration(duration, sizeof(duration), static_cast<uint32_t>(seconds) * 1000u);
  char question[160];
  snprintf(question, sizeof(question), "Set the saver timeout to %s, one minute before the display turns off?", duration);
  if (MessageBoxEntry(owner, question, kProductName, MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
  SetSaverTimeout(seconds);
  return true;
}

}  // namespace

bool ApplyDiagnosisFix(HWND owner, const Diagnosis& diagnosis, CheckId id) {
  int index = static_cast<int>(id);
  if (index < 0 || index >= kCheckCount) return false;
  FixKind fix = diagnosis.checks[index].fix;
  LogMessage(kLogLogOnly, "Diagnose: fixing %s", CheckIdName(id));
  switch (fix) {
    case FixKind::kNone:
      return false;
    case FixKind::kSwitchSaverOn:
      return EnableSaver(true) != 0;
    case FixKind::kPickRandomSaver:
      if (ChooseRandomSaver()) return true;
      MessageBoxEntry(owner, "There is no screen saver to choose from.", kProductName, MB_OK | MB_ICONINFORMATION);
      return false;
    case FixKind::kSetTimeoutBelowDisplay:
      return SetTimeoutBelowDisplay(owner, diagnosis.fixTimeoutSeconds);
    case FixKind::kEndDisablePeriod:
      return DisableSaverTimeout(0) != 0;
    case FixKind::kOpenHoldOffSettings: {
      HWND main = AppState.mainWindow;
      return main && PostMessageA(main, WM_COMMAND, kCmdHoldOffPrograms, kSourceMenu);
    }
    case FixKind::kFindDisplayRequests:
      return StartPowerReport(owner);
  }
  return false;
}
