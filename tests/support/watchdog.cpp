// The watchdog thread: waits for the owner to finish, else reports and ends the process.
#include "support/watchdog.h"

#include <cstdio>

Watchdog::Watchdog(DWORD timeoutMs, const char* what) : timeoutMs_(timeoutMs), what_(what) {
  done_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
}

Watchdog::~Watchdog() {
  SetEvent(done_);
  if (thread_) {
    WaitForSingleObject(thread_, INFINITE);  // returns at once: the event is set
    CloseHandle(thread_);
  }
  CloseHandle(done_);
}

DWORD WINAPI Watchdog::Watch(void* parameter) {
  auto* self = static_cast<Watchdog*>(parameter);
  if (WaitForSingleObject(self->done_, self->timeoutMs_) == WAIT_OBJECT_0) return 0;
  fprintf(stderr, "[  FAILED  ] watchdog: %s did not finish within %lu ms; ending the test program\n",
          self->what_.c_str(), static_cast<unsigned long>(self->timeoutMs_));
  fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
  return 1;
}
