// Crash reports: a fault on a worker of the resident program leaves its line in the log
// and a minidump beside it and ends the process without any dialog; a program with no
// filter of its own ends at once too (the test prefix lets no debugger hold it).
#include "crash/crash_report.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace {

constexpr DWORD kFaultCode = 0xC0000005;

std::vector<std::string> DumpFiles(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\Dozelite-*.dmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

// The system starts its debugger (AeDebug) for a fault left to it; while this lives, that
// debugger only leaves a file behind.
class MarkingDebugger {
 public:
  explicit MarkingDebugger(const std::string& mark) {
    had_ = ReadRegistryString(HKEY_LOCAL_MACHINE, kAeDebugKey, "Debugger", &old_);
    WriteRegistryString(HKEY_LOCAL_MACHINE, kAeDebugKey, "Debugger", "cmd.exe /c echo ran>\"" + mark + "\"");
  }
  ~MarkingDebugger() {
    if (had_) {
      WriteRegistryString(HKEY_LOCAL_MACHINE, kAeDebugKey, "Debugger", old_);
    } else {
      HKEY key = nullptr;
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAeDebugKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "Debugger");
        RegCloseKey(key);
      }
    }
  }

 private:
  static constexpr const char* kAeDebugKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug";
  bool had_ = false;
  std::string old_;
};

}  // namespace

TEST(CrashReport, AFaultOnAWorkerOfTheResidentProgramIsReported) {
  ASSERT_EQ(FindWindowA("DozeliteTrayIconClass", "Dozelite"), nullptr) << "another Dozelite is running";
  std::string temp = MakeTempFolder("crash");
  std::string debuggerMark = temp + "\\debugger-started.txt";
  ProcessResult run;
  {
    MarkingDebugger debugger(debuggerMark);
    run = RunProcess("\"" + BuildFilePath("fault_probe.exe") + "\" nosplash notips", {"TEMP=" + temp, "TMP=" + temp},
                     120000);
  }
  EXPECT_EQ(GetFileAttributesA(debuggerMark.c_str()), INVALID_FILE_ATTRIBUTES)
      << "the fault was left to the system: its error dialog or debugger would show";
  ASSERT_TRUE(run.started);
  EXPECT_TRUE(run.finished) << "the faulting program was held open";
  EXPECT_EQ(run.exitCode, kFaultCode);

  std::string log = ReadTextFile(temp + "\\Dozelite.log");
  size_t line = log.find(" Unhandled exception 0xC0000005 at fault_probe.exe+0x");
  EXPECT_NE(line, std::string::npos) << log;
  EXPECT_NE(log.find(" UUID: "), std::string::npos) << "the log written before the fault is kept";

  std::vector<std::string> dumps = DumpFiles(temp);
  ASSERT_EQ(dumps.size(), 1u);
  EXPECT_EQ(dumps[0].size(), strlen("Dozelite-20260101-120000.dmp")) << dumps[0];
  EXPECT_EQ(ReadTextFile(temp + "\\" + dumps[0]).substr(0, 4), "MDMP");
  RemoveTree(temp);
}

TEST(CrashReport, AProgramWithoutAFilterEndsAtOnce) {
  DWORD start = GetTickCount();
  ProcessResult run = RunProcess("\"" + BuildFilePath("fault_probe.exe") + "\" unguarded", {}, 30000);
  ASSERT_TRUE(run.started);
  EXPECT_TRUE(run.finished) << "a debugger or crash dialog held the process";
  EXPECT_NE(run.exitCode, 0u);
  EXPECT_LT(GetTickCount() - start, 30000u);
}

TEST(FormatCrashLine, NamesTheModuleAndTheOffsetInIt) {
  HMODULE self = GetModuleHandleA(nullptr);
  char line[256];
  FormatCrashLine(line, sizeof(line), kFaultCode, reinterpret_cast<char*>(self) + 0x1234, 77);
  EXPECT_STREQ(line, "Unhandled exception 0xC0000005 at crash_tests.exe+0x1234 (thread 77)");
  FormatCrashLine(line, sizeof(line), 0x80000003, reinterpret_cast<void*>(0x10), 5);
  EXPECT_STREQ(line, "Unhandled exception 0x80000003 at 0x10 (thread 5)");
  char small[20];
  FormatCrashLine(small, sizeof(small), kFaultCode, nullptr, 1);
  EXPECT_EQ(std::string(small), std::string("Unhandled exception"));
}
