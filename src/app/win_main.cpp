// The program's entry point. The elevated copy that runs the power report does only that:
// no log, no settings, no window of its own.
#include <windows.h>

#include "app/startup.h"
#include "diagnose/power_report.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  if (IsPowerReportHandOff(commandLine)) return RunPowerReportHandOff(commandLine);
  return RunDozelite(instance, commandLine);
}
