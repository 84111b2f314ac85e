// Helpers shared by the Windows tests: processes, files, the registry, posted commands
// and the message-box entry point.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

std::string ExeDirectory();                       // folder of the running test program
std::string BuildFilePath(const char* name);      // a file beside the test program
std::string MakeTempFolder(const char* name);     // fresh, empty folder under %TEMP%
void RemoveTree(const std::string& folder);
std::string ReadTextFile(const std::string& path);
bool WriteTextFile(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);

struct ProcessResult {
  bool started = false;
  bool finished = false;
  DWORD exitCode = 0;
};

// Starts a program with extra environment variables ("NAME=value") and waits for it.
HANDLE StartProcess(const std::string& commandLine, const std::vector<std::string>& environment,
                    DWORD* processId = nullptr);
ProcessResult RunProcess(const std::string& commandLine, const std::vector<std::string>& environment,
                         DWORD timeoutMs);
ProcessResult WaitProcess(HANDLE process, DWORD timeoutMs);

// Polls until the predicate holds or the time runs out, pumping this thread's messages.
template <typename Predicate>
bool WaitFor(Predicate predicate, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!predicate()) {
    if (GetTickCount() - start > timeoutMs) return false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(20);
  }
  return true;
}

// Polls until the predicate holds or the time runs out, without pumping messages (a pump
// would swallow the posted commands under test).
template <typename Predicate>
bool Within(DWORD ms, Predicate predicate) {
  DWORD start = GetTickCount();
  while (!predicate()) {
    if (GetTickCount() - start > ms) return false;
    Sleep(10);
  }
  return true;
}

// The pixels of a bitmap as 32-bit bottom-up rows; its size in *width and *height.
std::vector<unsigned char> BitmapBits(HBITMAP bitmap, int* width, int* height);

// Removes the WM_COMMANDs waiting for the window and returns their identifiers;
// every other message is left alone.
std::vector<int> TakePostedCommands(HWND window);

// The log lines buffered and not yet written to the log file.
std::string BufferedLog();

// Registry
void DeleteRegistryTree(HKEY root, const char* subKey);
bool ReadRegistryString(HKEY root, const char* subKey, const char* name, std::string* value);
bool ReadRegistryDword(HKEY root, const char* subKey, const char* name, DWORD* value);
// Create the key when missing; true when the value was written.
bool WriteRegistryString(HKEY root, const char* subKey, const char* name, const std::string& value);
bool WriteRegistryDword(HKEY root, const char* subKey, const char* name, DWORD value);
// Creates the key if needed and writes one value of any type.
bool WriteRegistryValue(HKEY root, const char* subKey, const char* name, DWORD type, const void* data, DWORD size);

// Captures message boxes instead of showing them while an instance is alive.
struct MessageBoxRecord {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
};

class MessageBoxCapture {
 public:
  MessageBoxCapture();
  ~MessageBoxCapture();
  const std::vector<MessageBoxRecord>& boxes() const;
  void set_answer(int answer);
};

// How many threads this process has now (the emulator's own included).
int CountOwnThreads();
// How many handles this process holds now, read from the system's handle table (the
// emulator's GetProcessHandleCount always answers 0); -1 when it cannot be read.
int CountOwnHandles();

// A visible top-level window of the process, or nullptr.
HWND FindProcessWindow(DWORD processId);
// Waits for a window of the process and brings it to the front; nullptr when it never got there.
HWND BringProcessToFront(DWORD processId, DWORD timeoutMs);

// Raises EVENT_SYSTEM_FOREGROUND for the window in front, as the system does on a change:
// the emulator raises none of its own (of all WinEvents only EVENT_OBJECT_CREATE arrives).
void AnnounceForeground();

// A hidden top-level window with a do-nothing procedure, for tests that need a target.
HWND CreateTestWindow(WNDPROC procedure = nullptr);
