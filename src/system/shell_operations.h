// Opening programs, documents, web pages, the mail client and Control Panel applets.
#pragma once

#include <windows.h>

bool ExecuteFile(const char* command);
bool BrowseWebSite(const char* address);
bool SendMail(const char* recipient, const char* subject, const char* body);
int OpenControlPanel(bool useSystemFolder, const char* applet);
// Starts a program with the caller's start-up information and lets it run on its own.
bool LaunchDetached(char* commandLine, const char* folder);
