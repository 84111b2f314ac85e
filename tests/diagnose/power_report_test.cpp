// The elevated copy's side of the power report, run in this process with the probe as
// the report program: which command lines it accepts, the text it hands back, and that a
// program that overruns is ended and its partial output still arrives.
#include "diagnose/power_report.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace {

struct Received {
  int count = 0;
  ULONG_PTR tag = 0;
  std::string text;
};
Received received;

LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    received.count++, received.tag = data->dwData;
    received.text.assign(static_cast<const char*>(data->lpData), data->cbData);
    return TRUE;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Runs the probe in `mode` as the report program, handing back to a window of this thread.
int RunProbe(const char* mode, DWORD* tookMs) {
  received = Received();
  HWND window = CreateTestWindow(ReceiverProc);
  std::string line = "powerreport=" + std::to_string(reinterpret_cast<ULONG_PTR>(window)) + ".18446744073709551615";
  DWORD start = GetTickCount();
  int code = RunPowerReportHandOff(line.c_str(), BuildFilePath("power_report_probe.exe").c_str(), mode, 2000);
  *tookMs = GetTickCount() - start;
  DestroyWindow(window);
  return code;
}

TEST(PowerReport, OnlyItsOwnExactCommandLineIsAHandOff) {
  struct Case {
    const char* line;
    bool handOff;
  } cases[] = {{"powerreport=131234.99", true},      {"  PowerReport=1.2 ", true},
               {"powerreport=1", false},             {"powerreport=1.", false},
               {"powerreport=1.2 kill", false},      {"nosplash powerreport=1.2", false},
               {"/powerreport=1.2", false},          {"powerreport=-1.2", false},
               {"powerreport=1.2x", false},          {"powerreport=1.%TEMP%", false},
               {"powerreport=99999999999999999999.1", false}, {"", false}};
  for (const Case& c : cases) EXPECT_EQ(IsPowerReportHandOff(c.line), c.handOff) << c.line;
  EXPECT_FALSE(IsPowerReportHandOff(nullptr));
}

TEST(PowerReport, OutputAndErrorsAreHandedBackWithTheTag) {
  DWORD took = 0;
  EXPECT_EQ(RunProbe("print", &took), 0);
  EXPECT_EQ(received.count, 1);
  EXPECT_EQ(received.tag, static_cast<ULONG_PTR>(18446744073709551615ull));
  EXPECT_EQ(received.text, "DISPLAY:\r\n[PROCESS] player.exe\r\nSYSTEM:\r\nNone.\r\n");
}

TEST(PowerReport, AProgramThatOverrunsIsEndedAndItsStartIsHandedBack) {
  DWORD took = 0;
  EXPECT_EQ(RunProbe("hang", &took), 0);
  EXPECT_LT(took, 10000u);
  EXPECT_EQ(received.text, "powercfg /requests did not report in time; it was ended.\r\npartial\r\n");
  HANDLE alive = OpenMutexA(SYNCHRONIZE, FALSE, "DozelitePowerReportProbe");
  EXPECT_EQ(alive, nullptr) << "the program still runs";
  if (alive) CloseHandle(alive);
}

// Ended at its limit, the program's text would begin with the overrun's note.
TEST(PowerReport, OutputPastTheLongestReportIsDroppedWithoutBlockingTheProgram) {
  DWORD took = 0;
  EXPECT_EQ(RunProbe("big", &took), 0);
  EXPECT_EQ(received.text.size(), static_cast<size_t>(kLongestPowerReport));
  EXPECT_EQ(received.text.find_first_not_of("x\n"), std::string::npos);
}

TEST(PowerReport, AMissingProgramIsReportedAsNotRun) {
  received = Received();
  HWND window = CreateTestWindow(ReceiverProc);
  std::string line = "powerreport=" + std::to_string(reinterpret_cast<ULONG_PTR>(window)) + ".7";
  EXPECT_EQ(RunPowerReportHandOff(line.c_str(), "C:\\nowhere\\powercfg.exe", "/requests", 2000), 0);
  DestroyWindow(window);
  EXPECT_EQ(received.text.rfind("powercfg /requests did not run", 0), 0u) << received.text;
}

}  // namespace
