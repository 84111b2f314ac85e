// The log-on screen's saver settings, elevation and the uninstaller.
#pragma once

int SaveDefaultUserSettings();
int RunElevated(const char* parameters);
int UninstallDozelite();
