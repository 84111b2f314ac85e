// The signed update check and the tracked web addresses.
#pragma once

int CheckForServerUpdates(bool interactive);
int BuildTrackedUrl(char* destination, int capacity, const char* address);
