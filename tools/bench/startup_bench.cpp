// Start-up cost of a tray program: the time from CreateProcess until its icon is in the
// notification area, and the private bytes it holds once resident. Prints one line:
//   <median ms> <min ms> <median private KiB> <median working set KiB>
// Usage: startup_bench [--delete <file>] <runs> <window class to close> <command line...>
// With --delete the file (environment variables expanded) is deleted before every start:
// a cold start without the catalog cache.
// The icon is seen as one more icon window in the tray Wine shows on a display without a
// taskbar ("Wine System Tray").
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

static BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

static int CountTrayIcons() {
  HWND tray = FindWindowA(nullptr, "Wine System Tray");
  if (!tray || !IsWindowVisible(tray)) return 0;
  int count = 0;
  EnumChildWindows(tray, CountChild, reinterpret_cast<LPARAM>(&count));
  return count == 0 ? 1 : count + 1;  // a visible tray holds at least one icon
}

static double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

int main(int argc, char** argv) {
  char deleteBeforeStart[MAX_PATH] = "";
  if (argc > 2 && strcmp(argv[1], "--delete") == 0) {
    ExpandEnvironmentStringsA(argv[2], deleteBeforeStart, sizeof(deleteBeforeStart));
    argv += 2;
    argc -= 2;
  }
  if (argc < 4) {
    fprintf(stderr, "usage: startup_bench <runs> <window class> <command line...>\n");
    return 2;
  }
  int runs = atoi(argv[1]);
  const char* windowClass = argv[2];
  std::string commandLine;
  for (int i = 3; i < argc; i++) {
    if (i > 3) commandLine += ' ';
    commandLine += argv[i];
  }
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> times, privateKiB, workingKiB;
  for (int run = 0; run < runs; run++) {
    if (deleteBeforeStart[0]) DeleteFileA(deleteBeforeStart);
    int before = CountTrayIcons();
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    LARGE_INTEGER start, now;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
      fprintf(stderr, "cannot start %s\n", commandLine.c_str());
      return 1;
    }
    bool seen = false;
    for (;;) {
      QueryPerformanceCounter(&now);
      double ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
      if (CountTrayIcons() > before) {
        times.push_back(ms);
        seen = true;
        break;
      }
      if (ms > 30000 || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;
      Sleep(1);
    }
    Sleep(1500);  // settle: the icon animation and the first update check
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(process.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory))) {
      // Wine leaves PrivateUsage empty; PagefileUsage is the same commit charge.
      SIZE_T privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
      privateKiB.push_back(static_cast<double>(privateBytes) / 1024.0);
      workingKiB.push_back(static_cast<double>(memory.WorkingSetSize) / 1024.0);
    }
    if (HWND window = FindWindowA(windowClass, nullptr)) PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!seen) {
      fprintf(stderr, "no tray icon from %s\n", commandLine.c_str());
      return 1;
    }
    Sleep(500);
  }
  std::vector<double> sorted = times;
  std::sort(sorted.begin(), sorted.end());
  printf("%.0f %.0f %.0f %.0f\n", Median(times), sorted.empty() ? 0 : sorted[0], Median(privateKiB),
         Median(workingKiB));
  return 0;
}
