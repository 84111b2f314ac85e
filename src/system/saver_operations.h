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
