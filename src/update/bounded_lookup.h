// A host name lookup that gives up after a time: the platform's lookup has no limit of
// its own, so it runs on a worker thread that is left to finish alone when time is up.
// Portable: no <windows.h>.
#pragma once

#include <cstdint>

// The platform's blocking lookup: 1 with the IPv4 address (network order), 0 with the
// reason in *error.
using HostLookup = int (*)(const char* host, uint32_t* address, int* error);

constexpr int kLookupHostSize = 256;  // host names are at most 253 characters
constexpr int kLookupTimedOut = -4;   // *error after the time ran out

// 1 and *address when the lookup answered within timeoutMs (0: no limit), else 0 and
// *error: the lookup's own reason, kLookupTimedOut, or -1 for a host too long to look up.
int LookupHostWithin(const char* host, uint32_t* address, int timeoutMs, int* error,
                     HostLookup lookup = nullptr);
