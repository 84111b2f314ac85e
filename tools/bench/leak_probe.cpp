// Drives a resident Dozelite for the leak benchmark: sends it a command a number of times,
// each handled before the next is sent, and prints the number of kernel handles its
// process holds afterwards (from the system-wide handle list, which the emulator fills
// even though the cross-process handle count of the process itself reads 0).
// Usage: leak_probe <command id> <times>
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr ULONG kSystemHandleInformation = 16;

struct HandleEntry {
  ULONG ownerProcessId;
  BYTE objectType;
  BYTE flags;
  USHORT value;
  PVOID object;
  ACCESS_MASK access;
};

struct HandleList {
  ULONG count;
  HandleEntry entries[1];
};

using QuerySystemInformation = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);

long CountHandles(DWORD processId) {
  auto query = reinterpret_cast<QuerySystemInformation>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return -1;
  std::vector<char> buffer(1 << 20);
  for (int attempt = 0; attempt < 8; attempt++) {
    ULONG needed = 0;
    NTSTATUS status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == 0) {
      const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
      long count = 0;
      for (ULONG i = 0; i < list->count; i++) count += list->entries[i].ownerProcessId == processId;
      return count;
    }
    buffer.resize(buffer.size() * 2 > needed ? buffer.size() * 2 : needed + 4096);
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: leak_probe <command id> <times>\n");
    return 2;
  }
  HWND window = FindWindowA("DozeliteTrayIconClass", "Dozelite");
  if (!window) {
    fprintf(stderr, "leak_probe: no Dozelite runs\n");
    return 1;
  }
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  WPARAM command = strtoul(argv[1], nullptr, 0);
  long times = strtol(argv[2], nullptr, 0);
  for (long i = 0; i < times; i++) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, WM_COMMAND, command, 0, SMTO_NORMAL, 30000, &result)) {
      fprintf(stderr, "leak_probe: command %lu not handled within 30 s\n", static_cast<unsigned long>(command));
      return 1;
    }
  }
  printf("%ld\n", CountHandles(processId));
  return 0;
}
