// A test program, never shipped: the resident program as Dozelite.exe runs it, plus one
// worker thread that faults once the main window exists. With the word "unguarded" it
// faults at once instead, before any filter of the program is installed.
#include <windows.h>

#include <cstring>

#include "app/startup.h"
#include "state/app_state.h"

namespace {

constexpr DWORD kWaitForWindowMs = 30000;
constexpr DWORD kSettleMs = 500;

void Fault() {
  volatile int* nowhere = nullptr;
  *nowhere = 1;
}

DWORD WINAPI FaultWhenResident(void*) {
  DWORD start = GetTickCount();
  while (!FindWindowA(kWindowClassName, kWindowTitle)) {
    if (GetTickCount() - start > kWaitForWindowMs) return 1;
    Sleep(50);
  }
  Sleep(kSettleMs);
  Fault();
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  if (strstr(commandLine, "unguarded")) Fault();
  HANDLE thread = CreateThread(nullptr, 0, FaultWhenResident, nullptr, 0, nullptr);
  if (thread) CloseHandle(thread);
  return RunDozelite(instance, commandLine);
}
