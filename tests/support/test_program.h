// A program of the build (a sample saver, a window of a known kind) started in its own
// process for a test, and ended with it.
#pragma once

#include <windows.h>

#include <string>

#include "support/test_support.h"

constexpr DWORD kProgramStartMs = 20000;  // a program start under a loaded emulator

class TestProgram {
 public:
  // `file` is beside the test program ("savers\\aurora.scr", "window_kinds.exe").
  TestProgram(const char* file, const char* arguments) : TestProgram(BuildFilePath(file), arguments) {}
  TestProgram(const std::string& path, const char* arguments) {
    process_ = StartProcess("\"" + path + "\" " + arguments, {}, &id_);
  }
  ~TestProgram() { End(); }
  TestProgram(const TestProgram&) = delete;
  TestProgram& operator=(const TestProgram&) = delete;

  // Waits for its window and brings it to the front; with `announce`, raises the
  // foreground event the emulator never raises itself.
  HWND Front(bool announce = true) {
    HWND window = BringProcessToFront(id_, kProgramStartMs);
    if (announce) AnnounceForeground();
    return window;
  }
  // Closes its window as a user would, or ends it; true once the process has ended.
  bool End() {
    if (!process_) return true;
    if (HWND window = FindProcessWindow(id_)) PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_, 5000) != WAIT_OBJECT_0) TerminateProcess(process_, 0);
    bool ended = WaitForSingleObject(process_, 10000) == WAIT_OBJECT_0;
    CloseHandle(process_);
    process_ = nullptr;
    return ended;
  }
  bool started() const { return process_ != nullptr; }
  DWORD id() const { return id_; }

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};
