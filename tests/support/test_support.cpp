// Test helpers for the Windows suite.
#include "support/test_support.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstring>

#include "log/log.h"
#include "shell/entry_points.h"

namespace {

std::vector<MessageBoxRecord> capturedBoxes;
int capturedAnswer = IDOK;

int CaptureMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  capturedBoxes.push_back({owner, text ? text : "", caption ? caption : "", type});
  return capturedAnswer;
}

}  // namespace

std::string ExeDirectory() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof(path));
  char* slash = strrchr(path, '\\');
  if (slash) *slash = 0;
  return path;
}

std::string BuildFilePath(const char* name) { return ExeDirectory() + "\\" + name; }

std::string MakeTempFolder(const char* name) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof(temp), temp);
  std::string folder = std::string(temp) + "dozelite-test-" + name;
  RemoveTree(folder);
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (!strcmp(data.cFileName, ".") || !strcmp(data.cFileName, "..")) continue;
      std::string path = folder + "\\" + data.cFileName;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

std::string ReadTextFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  std::string text;
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read > 0) text.append(chunk, read);
  CloseHandle(file);
  return text;
}

bool WriteTextFile(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == text.size();
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

HANDLE StartProcess(const std::string& commandLine, const std::vector<std::string>& environment, DWORD* processId) {
  // The child gets this process's environment with the given variables replaced.
  std::vector<char> block;
  char* current = GetEnvironmentStringsA();
  for (const char* entry = current; *entry; entry += strlen(entry) + 1) {
    bool replaced = false;
    for (const std::string& extra : environment) {
      size_t equals = extra.find('=');
      if (_strnicmp(entry, extra.c_str(), equals + 1) == 0) replaced = true;
    }
    if (!replaced) block.insert(block.end(), entry, entry + strlen(entry) + 1);
  }
  FreeEnvironmentStringsA(current);
  for (const std::string& extra : environment) block.insert(block.end(), extra.c_str(), extra.c_str() + extra.size() + 1);
  block.push_back(0);

  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back(0);
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, block.data(), nullptr, &startup, &process))
    return nullptr;
  CloseHandle(process.hThread);
  if (processId) *processId = process.dwProcessId;
  return process.hProcess;
}

ProcessResult WaitProcess(HANDLE process, DWORD timeoutMs) {
  ProcessResult result;
  if (!process) return result;
  result.started = true;
  if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) {
    result.finished = true;
    GetExitCodeProcess(process, &result.exitCode);
  }
  return result;
}

ProcessResult RunProcess(const std::string& commandLine, const std::vector<std::string>& environment,
                         DWORD timeoutMs) {
  HANDLE process = StartProcess(commandLine, environment);
  ProcessResult result = WaitProcess(process, timeoutMs);
  if (process) {
    if (!result.finished) TerminateProcess(process, 99);
    CloseHandle(process);
  }
  return result;
}

std::vector<int> TakePostedCommands(HWND window) {
  std::vector<int> commands;
  MSG message;
  while (PeekMessageA(&message, window, WM_COMMAND, WM_COMMAND, PM_REMOVE))
    commands.push_back(LOWORD(message.wParam));
  return commands;
}

std::string BufferedLog() {
  std::vector<char> text(kLogBufferSize + 1);
  GetLogBufferedText(text.data(), static_cast<int>(text.size()));
  return text.data();
}

void DeleteRegistryTree(HKEY root, const char* subKey) { RegDeleteTreeA(root, subKey), RegDeleteKeyA(root, subKey); }

bool ReadRegistryString(HKEY root, const char* subKey, const char* name, std::string* value) {
  char data[4096];
  DWORD size = sizeof(data);
  DWORD type = 0;
  if (RegGetValueA(root, subKey, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, &type, data, &size) !=
      ERROR_SUCCESS)
    return false;
  *value = data;
  return true;
}

bool ReadRegistryDword(HKEY root, const char* subKey, const char* name, DWORD* value) {
  DWORD size = sizeof(*value);
  return RegGetValueA(root, subKey, name, RRF_RT_REG_DWORD, nullptr, value, &size) == ERROR_SUCCESS;
}

bool WriteRegistryValue(HKEY root, const char* subKey, const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, subKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) return false;
  bool written = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
  RegCloseKey(key);
  return written;
}

MessageBoxCapture::MessageBoxCapture() {
  capturedBoxes.clear();
  capturedAnswer = IDOK;
  MessageBoxEntry = CaptureMessageBox;
}

MessageBoxCapture::~MessageBoxCapture() { MessageBoxEntry = RealMessageBox; }

const std::vector<MessageBoxRecord>& MessageBoxCapture::boxes() const { return capturedBoxes; }

void MessageBoxCapture::set_answer(int answer) { capturedAnswer = answer; }

HWND CreateTestWindow(WNDPROC procedure) {
  static bool registered = false;
  static const char* kClass = "DozeliteTestWindow";
  if (!registered) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClass;
    RegisterClassA(&windowClass);
    registered = true;
  }
  HWND window = CreateWindowExA(0, kClass, "test", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (procedure) SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
  return window;
}

bool WriteRegistryString(HKEY root, const char* subKey, const char* name, const std::string& value) {
  return WriteRegistryValue(root, subKey, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

bool WriteRegistryDword(HKEY root, const char* subKey, const char* name, DWORD value) {
  return WriteRegistryValue(root, subKey, name, REG_DWORD, &value, sizeof(value));
}

int CountOwnThreads() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) count++;
  CloseHandle(snapshot);
  return count;
}

namespace {

// SYSTEM_HANDLE_TABLE_ENTRY_INFO_EX and the table of SystemExtendedHandleInformation (64).
struct HandleEntry {
  void* object;
  ULONG_PTR processId;
  ULONG_PTR handle;
  ULONG access;
  USHORT creatorBackTraceIndex;
  USHORT objectTypeIndex;
  ULONG attributes;
  ULONG reserved;
};
struct HandleTable {
  ULONG_PTR count;
  ULONG_PTR reserved;
  HandleEntry handles[1];
};
using QuerySystemInformationFn = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
constexpr ULONG kExtendedHandleInformation = 64;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

}  // namespace

int CountOwnHandles() {
  auto query = reinterpret_cast<QuerySystemInformationFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return -1;
  std::vector<char> buffer(1 << 20);
  for (int attempt = 0; attempt < 8; attempt++) {
    ULONG needed = 0;
    LONG status = query(kExtendedHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == kInfoLengthMismatch) {
      buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 65536));
      continue;
    }
    if (status != 0) return -1;
    const HandleTable* table = reinterpret_cast<const HandleTable*>(buffer.data());
    int count = 0;
    for (ULONG_PTR n = 0; n < table->count; n++)
      if (table->handles[n].processId == GetCurrentProcessId()) count++;
    return count;
  }
  return -1;
}

HWND FindProcessWindow(DWORD processId) {
  struct Search {
    DWORD processId;
    HWND found;
  } search = {processId, nullptr};
  EnumWindows(
      [](HWND window, LPARAM parameter) -> BOOL {
        auto* wanted = reinterpret_cast<Search*>(parameter);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != wanted->processId || !IsWindowVisible(window)) return TRUE;
        wanted->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND BringProcessToFront(DWORD processId, DWORD timeoutMs) {
  HWND window = nullptr;
  WaitFor([&] { return (window = FindProcessWindow(processId)) != nullptr; }, timeoutMs);
  if (!window) return nullptr;
  // A program that has just started may still activate a window of its own: the front
  // counts once it has stayed for ten polls in a row.
  int steady = 0;
  WaitFor(
      [&] {
        if (GetForegroundWindow() == window) return ++steady >= 10;
        steady = 0;
        SetForegroundWindow(window);
        return false;
      },
      timeoutMs);
  return GetForegroundWindow() == window ? window : nullptr;
}

void AnnounceForeground() {
  if (HWND window = GetForegroundWindow()) NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, window, OBJID_WINDOW, CHILDID_SELF);
}

std::vector<unsigned char> BitmapBits(HBITMAP bitmap, int* width, int* height) {
  BITMAP info = {};
  GetObjectA(bitmap, sizeof(info), &info);
  *width = info.bmWidth;
  *height = info.bmHeight;
  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof(format.bmiHeader);
  format.bmiHeader.biWidth = info.bmWidth;
  format.bmiHeader.biHeight = info.bmHeight;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  std::vector<unsigned char> bits(static_cast<size_t>(info.bmWidth) * info.bmHeight * 4);
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, bitmap, 0, info.bmHeight, bits.data(), &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  return bits;
}
