// Thin wrappers over ShellExecuteA and CreateProcessA (through their entry points) that
// log their own name and report failures the user must see.
#include "system/shell_operations.h"

#include <cstdio>
#include <cstring>

#include "build_config.h"
#include "language/text.h"
#include "log/log.h"
#include "shell/entry_points.h"
#include "shell/text_helpers.h"
#include "shell/url_encoding.h"
#include "state/app_state.h"

static bool ShellSucceeded(HINSTANCE result) { return reinterpret_cast<INT_PTR>(result) > 32; }

// The file is the text up to the first space, the parameters the rest from that space
// on: there is no quoting, so a path with a space cannot be started this way.
bool ExecuteFile(const char* command) {
  LogMessage(kLogLogOnly, "ExecuteFile: %s", command ? command : "");
  char file[1024];
  CopyText(file, command ? command : "", sizeof(file));
  const char* parameters = "";
  if (char* space = strchr(file, ' ')) {
    parameters = command + (space - file);
    *space = 0;
  }
  char folder[kPathSize];
  char name[kPathSize];
  GetDirectory(file, folder, sizeof(folder));
  GetFileName(file, name, sizeof(name));
  if (strcmp(folder, name) != 0)
    SetTrailingBackslash(folder, true, sizeof(folder));
  else
    folder[0] = 0;
  HINSTANCE result = ShellExecuteEntry(GetDesktopWindow(), nullptr, name, parameters, folder, SW_SHOWNORMAL);
  if (ShellSucceeded(result)) return true;
  // Translators: %s is a file name, %d a Windows error number.
  LogMessage(kLogError, TrNoop("Unable to open %s: Error=%d"), file,
             static_cast<int>(reinterpret_cast<INT_PTR>(result)));
  return false;
}

bool BrowseWebSite(const char* address) {
  LogMessage(kLogLogOnly, "BrowseWebSite");
  HINSTANCE result = ShellExecuteEntry(GetDesktopWindow(), nullptr, address, nullptr, nullptr, SW_SHOWNORMAL);
  if (ShellSucceeded(result)) return true;
  // Translators: %s is the web address.
  LogMessage(kLogError, TrNoop("Unable to launch default web browser.\nPlease visit the Dozelite website at %s"),
             DOZELITE_WEB_URL);
  return false;
}

bool SendMail(const char* recipient, const char* subject, const char* body) {
  LogMessage(kLogLogOnly, "SendMail");
  char address[1024] = "mailto:";
  if (recipient) AppendText(address, recipient, sizeof(address));
  char defaultSubject[512];
  if (!subject) {
    snprintf(defaultSubject, sizeof(defaultSubject), "%s %s", kProductName, AppState.versionText);
    subject = defaultSubject;
  }
  char encoded[1024];
  AppendText(address, "?subject=", sizeof(address));
  UrlEncode(encoded, sizeof(encoded), subject);
  AppendText(address, encoded, sizeof(address));
  if (body) {
    AppendText(address, "&body=", sizeof(address));
    UrlEncode(encoded, sizeof(encoded), body);
    AppendText(address, encoded, sizeof(address));
  }
  HINSTANCE result = ShellExecuteEntry(GetDesktopWindow(), nullptr, address, nullptr, nullptr, SW_SHOWNORMAL);
  if (ShellSucceeded(result)) return true;
  // Translators: %s is the support e-mail address.
  LogMessage(kLogError, TrNoop("Unable to launch default mail client.\nPlease send your feedback to %s"),
             DOZELITE_SUPPORT_EMAIL);
  return false;
}

int OpenControlPanel(bool useSystemFolder, const char* applet) {
  char folder[400] = "";
  if (useSystemFolder)
    GetSystemDirectoryA(folder, sizeof(folder));
  else
    GetWindowsDirectoryA(folder, sizeof(folder));
  char commandLine[1024];
  snprintf(commandLine, sizeof(commandLine), "%s\\control.exe %s", folder, applet ? applet : "");
  LaunchDetached(commandLine, folder);
  return 1;
}

bool LaunchDetached(char* commandLine, const char* folder) {
  STARTUPINFOA startup;
  GetStartupInfoA(&startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessEntry(nullptr, commandLine, folder, &startup, &process)) return false;
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return true;
}
