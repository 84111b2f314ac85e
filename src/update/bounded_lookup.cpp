// LookupHostWithin: the job (host copy, answer, flags) is shared by the caller and the
// worker and freed by whichever lets go last, so a caller that stopped waiting never
// leaves the worker writing into freed memory, and a worker still in the lookup keeps
// only its own copy of the host alive.
#include "update/bounded_lookup.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "update/socket_shim.h"

namespace {

struct LookupJob {
  std::mutex lock;
  std::condition_variable answered;
  bool done = false;
  int found = 0;
  int error = 0;
  uint32_t address = 0;
  char host[kLookupHostSize] = "";
};

// The lookup of the socket shim, with Winsock kept started for as long as it runs: the
// connection that asked may have stopped it meanwhile.
int ShimLookup(const char* host, uint32_t* address, int* error) {
  if (SocketStartup() != 0) {
    *error = SocketLastError();
    return 0;
  }
  int found = SocketResolve(host, address);
  *error = found ? 0 : SocketLastError();
  SocketCleanup();
  return found;
}

}  // namespace

int LookupHostWithin(const char* host, uint32_t* address, int timeoutMs, int* error, HostLookup lookup) {
  if (!lookup) lookup = ShimLookup;
  *error = -1;
  if (!host || strlen(host) >= static_cast<size_t>(kLookupHostSize)) return 0;
  if (timeoutMs <= 0) return lookup(host, address, error);

  std::shared_ptr<LookupJob> job;
  try {
    job = std::make_shared<LookupJob>();
    memcpy(job->host, host, strlen(host) + 1);
    std::thread([job, lookup] {
      uint32_t found = 0;
      int reason = 0;
      int result = lookup(job->host, &found, &reason);
      std::lock_guard<std::mutex> hold(job->lock);
      job->found = result;
      job->address = found;
      job->error = reason;
      job->done = true;
      job->answered.notify_all();
    }).detach();
  } catch (...) {
    return 0;  // no memory or no thread to be had: no lookup
  }
  std::unique_lock<std::mutex> hold(job->lock);
  if (!job->answered.wait_for(hold, std::chrono::milliseconds(timeoutMs), [&] { return job->done; })) {
    *error = kLookupTimedOut;
    return 0;
  }
  *error = job->error;
  if (!job->found) return 0;
  *address = job->address;
  return 1;
}
