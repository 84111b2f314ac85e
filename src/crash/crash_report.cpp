// The crash report. A fault that no handler takes (C++ catch blocks do not see access
// violations here) reaches this filter on the faulting thread: it appends one line to
// the log ("Unhandled exception", the code, the address as module+offset), writes the
// log out, writes a minidump beside the log file and ends the process at once, so no
// error dialog or debugger ever holds it. Nothing is written when the log has no file
// (the elevated instance). Only the first fault reports; a fault on another thread
// meanwhile waits for the end.
#include "crash/crash_report.h"

#include <dbghelp.h>

#include <cstdio>
#include <cstring>

#include "log/log.h"
#include "shell/text_helpers.h"

namespace {

constexpr DWORD kSecondFaultWaitMs = 30000;

using MiniDumpWriteDumpFunction = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                                PMINIDUMP_EXCEPTION_INFORMATION, PMINIDUMP_USER_STREAM_INFORMATION,
                                                PMINIDUMP_CALLBACK_INFORMATION);
using SymSetOptionsFunction = DWORD(WINAPI*)(DWORD);
using SymInitializeFunction = BOOL(WINAPI*)(HANDLE, PCSTR, BOOL);
using SymLoadModuleExFunction = DWORD64(WINAPI*)(HANDLE, HANDLE, PCSTR, PCSTR, DWORD64, DWORD, PMODLOAD_DATA, DWORD);
using SymCleanupFunction = BOOL(WINAPI*)(HANDLE);

LONG reporting = 0;

// <log folder>\Dozelite-yyyymmdd-hhmmss.dmp; false when the log has no file.
bool DumpPath(char* path, int capacity) {
  char logPath[MAX_PATH];
  GetLogFilePath(logPath);
  char* slash = strrchr(logPath, '\\');
  if (!logPath[0] || !slash) return false;
  slash[1] = 0;
  SYSTEMTIME now;
  GetLocalTime(&now);
  char name[64];
  snprintf(name, sizeof(name), "Dozelite-%04u%02u%02u-%02u%02u%02u.dmp", now.wYear, now.wMonth, now.wDay,
           now.wHour, now.wMinute, now.wSecond);
  CopyText(path, logPath, capacity);
  return AppendText(path, name, capacity) != 0;
}

template <typename Function>
Function Entry(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// Names one loaded module to dbghelp, its size read from its own image header.
void AddModule(HMODULE dbghelp, HMODULE module) {
  auto load = Entry<SymLoadModuleExFunction>(dbghelp, "SymLoadModuleEx");
  char path[MAX_PATH];
  DWORD length = module ? GetModuleFileNameA(module, path, sizeof(path)) : 0;
  if (!load || length == 0 || length >= sizeof(path)) return;
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(reinterpret_cast<const char*>(module) + dos->e_lfanew);
  load(GetCurrentProcess(), nullptr, path, nullptr, reinterpret_cast<DWORD64>(module), nt->OptionalHeader.SizeOfImage,
       nullptr, 0);
}

// dbghelp is loaded only now and only from the system folder. The dump's module list is
// the program and the faulting module, named up front: some implementations otherwise
// read every loaded module first, which can take a minute.
void WriteMiniDump(EXCEPTION_POINTERS* info) {
  char path[MAX_PATH];
  if (!DumpPath(path, sizeof(path))) return;
  char library[MAX_PATH];
  UINT length = GetSystemDirectoryA(library, sizeof(library));
  if (length == 0 || length >= sizeof(library) || !AppendText(library, "\\dbghelp.dll", sizeof(library))) return;
  HMODULE dbghelp = LoadLibraryA(library);
  if (!dbghelp) return;
  auto writeDump = Entry<MiniDumpWriteDumpFunction>(dbghelp, "MiniDumpWriteDump");
  auto setOptions = Entry<SymSetOptionsFunction>(dbghelp, "SymSetOptions");
  auto initialize = Entry<SymInitializeFunction>(dbghelp, "SymInitialize");
  auto cleanup = Entry<SymCleanupFunction>(dbghelp, "SymCleanup");
  bool symbols = setOptions && initialize && cleanup;
  if (symbols) {
    setOptions(SYMOPT_DEFERRED_LOADS);
    symbols = initialize(GetCurrentProcess(), nullptr, FALSE) != FALSE;
  }
  if (symbols) {
    HMODULE faulting = nullptr;
    if (info && info->ExceptionRecord)
      GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<const char*>(info->ExceptionRecord->ExceptionAddress), &faulting);
    AddModule(dbghelp, GetModuleHandleA(nullptr));
    if (faulting && faulting != GetModuleHandleA(nullptr)) AddModule(dbghelp, faulting);
  }
  HANDLE file = writeDump ? CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
                          : INVALID_HANDLE_VALUE;
  if (file != INVALID_HANDLE_VALUE) {
    MINIDUMP_EXCEPTION_INFORMATION exception = {};
    exception.ThreadId = GetCurrentThreadId();
    exception.ExceptionPointers = info;
    exception.ClientPointers = FALSE;
    writeDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal, &exception, nullptr, nullptr);
    CloseHandle(file);
  }
  if (symbols) cleanup(GetCurrentProcess());
  FreeLibrary(dbghelp);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* info) {
  DWORD code = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 0;
  if (InterlockedExchange(&reporting, 1) != 0) {
    Sleep(kSecondFaultWaitMs);  // the first report ends the process
    TerminateProcess(GetCurrentProcess(), code);
  }
  char line[512];
  FormatCrashLine(line, sizeof(line), code, info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionAddress
                                                                           : nullptr,
                  GetCurrentThreadId());
  LogCrashLine(line);
  WriteMiniDump(info);
  TerminateProcess(GetCurrentProcess(), code);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void FormatCrashLine(char* destination, int capacity, DWORD code, const void* address, DWORD threadId) {
  HMODULE module = nullptr;
  char moduleName[MAX_PATH] = "";
  if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<const char*>(address), &module) &&
      GetModuleFileNameA(module, moduleName, sizeof(moduleName)) > 0) {
    moduleName[sizeof(moduleName) - 1] = 0;
    const char* base = strrchr(moduleName, '\\');
    base = base ? base + 1 : moduleName;
    unsigned long long offset =
        reinterpret_cast<ULONG_PTR>(address) - reinterpret_cast<ULONG_PTR>(module);
    snprintf(destination, capacity, "Unhandled exception 0x%08lX at %s+0x%llX (thread %lu)",
             static_cast<unsigned long>(code), base, offset, static_cast<unsigned long>(threadId));
  } else {
    snprintf(destination, capacity, "Unhandled exception 0x%08lX at 0x%llX (thread %lu)",
             static_cast<unsigned long>(code), static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(address)),
             static_cast<unsigned long>(threadId));
  }
}

void InstallCrashReporter() {
  SetErrorMode(GetErrorMode() | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(OnUnhandledException);
}
