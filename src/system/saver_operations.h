// Starting, configuring, enabling and disabling screen savers, and monitor power.
#pragma once

int RunSaverFile(const char* path, const char* arguments);
int LaunchScreenSaver();
int ConfigureScreenSaver(const char* path);
int ChangePassword(const char* path);
int EnableSaver(bool enable);
int EnablePassword(bool enable);
int DisableSaverTimeout(int seconds);
int SetRandomSaverOnActivate(bool enable);
int SetPowerMode(int mode);
// Makes a random saver of the catalog current; false when there is none or it fails.
bool ChooseRandomSaver();
// Sets the system's saver timeout; a non-positive number of seconds changes nothing.
void SetSaverTimeout(int seconds);
