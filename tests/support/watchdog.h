// For tests whose failure would be a hang (two threads waiting on each other): while a
// Watchdog lives, a second thread ends the test program with a failure line once the
// time is up, so the hang fails within seconds instead of holding the suite.
#pragma once

#include <windows.h>

#include <string>

class Watchdog {
 public:
  Watchdog(DWORD timeoutMs, const char* what);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  static DWORD WINAPI Watch(void* self);
  HANDLE done_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD timeoutMs_;
  std::string what_;
};
