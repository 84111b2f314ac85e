// A test program, never shipped. "power_report_probe <mode>" stands in for powercfg:
// "print" writes a report to its output and errors, "silent" writes blanks, "big" writes
// more than the longest report, "hang" writes a line and never ends (holding the mutex
// "DozelitePowerReportProbe" while it lives). "power_report_probe <mode> powerreport=..."
// is the elevated copy, running the probe itself in that mode (with a 2 s limit).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "diagnose/power_report.h"

namespace {

constexpr DWORD kProbeRunMs = 2000;

void Write(HANDLE to, const std::string& text) {
  DWORD written = 0;
  WriteFile(to, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string mode = argv[1];
  if (argc >= 3) {
    char self[1024];
    GetModuleFileNameA(nullptr, self, sizeof(self));
    return RunPowerReportHandOff(argv[2], self, mode.c_str(), kProbeRunMs);
  }
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (mode == "print") {
    Write(out, "DISPLAY:\r\n[PROCESS] player.exe\r\n");
    Write(GetStdHandle(STD_ERROR_HANDLE), "SYSTEM:\r\nNone.\r\n");
  } else if (mode == "silent") {
    Write(out, " \r\n");
  } else if (mode == "big") {
    std::string line(1023, 'x');
    line += "\n";
    for (int i = 0; i < 300; i++) Write(out, line);
  } else if (mode == "hang") {
    HANDLE alive = CreateMutexA(nullptr, TRUE, "DozelitePowerReportProbe");
    Write(out, "partial\r\n");
    Sleep(600000);
    CloseHandle(alive);
  }
  return 0;
}
