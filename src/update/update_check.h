// The signed update check and the tracked web addresses.
#pragma once

// -1: the check failed; 0: up to date; 1: a newer version was reported (and offered).
int CheckForServerUpdates(bool interactive);
// The same check against a given endpoint address and 128-digit public key.
int CheckForServerUpdatesAt(const char* endpoint, const char* publicKeyHex, bool interactive);
// address?v=<file version>&u=<installation id>; 0 if the result had to be cut.
int BuildTrackedUrl(char* destination, int capacity, const char* address);
