// The dialog driver and the screenshot writer used by the dialog tests.
#include "support/dialog_driver.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "shell/window_helpers.h"
#include "support/test_support.h"

namespace {

// Wine hands captioned windows to the X window manager and, when hiding one, waits up to
// two seconds for a manager that Xvfb does not have. Unmanaged windows are drawn by Wine
// itself, captions included, and hide at once. The setting is read when the process
// first touches its display, so it is written before any window exists.
bool UseUnmanagedWindows() {
  char program[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, program, sizeof(program));
  if (length == 0 || length >= sizeof(program)) return false;
  const char* name = strrchr(program, '\\');
  std::string key = std::string("Software\\Wine\\AppDefaults\\") + (name ? name + 1 : program) + "\\X11 Driver";
  HKEY handle;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr)) return false;
  bool done = RegSetValueExA(handle, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2) == ERROR_SUCCESS;
  RegCloseKey(handle);
  return done;
}

const bool unmanagedWindows = UseUnmanagedWindows();

}  // namespace

namespace {

struct DialogSearch {
  HWND owner;  // null: any owner
  HWND found;
};

BOOL CALLBACK FindOwnDialog(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<DialogSearch*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[16] = "";
  GetClassNameA(window, name, sizeof(name));
  if (process != GetCurrentProcessId() || strcmp(name, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  if (search->owner && GetWindow(window, GW_OWNER) != search->owner) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindOwnDialogWindow(HWND owner) {
  DialogSearch search = {owner, nullptr};
  EnumWindows(FindOwnDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

HWND WaitForOwnedDialog(HWND owner, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND found = FindOwnDialogWindow(owner)) return found;
    if (GetTickCount() - start > timeoutMs) return nullptr;
    Sleep(20);
  }
}

HWND WaitForDialog(const char* title, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    // Without a title: the first visible dialog of this process (titles are translated).
    HWND found = title ? FindWindowA("#32770", title) : FindOwnDialogWindow(nullptr);
    if (found && IsWindowVisible(found)) return found;
    if (GetTickCount() - start > timeoutMs) return found;
    Sleep(20);
  }
}

bool WaitGone(HWND window, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (IsWindow(window)) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

DriveResult DriveDialog(const char* title, const std::function<INT_PTR()>& open,
                        const std::function<void(HWND)>& drive) {
  DriveResult outcome;
  std::thread driver([&] {
    HWND dialog = WaitForDialog(title);
    outcome.found = dialog != nullptr;
    if (!dialog) return;
    drive(dialog);
    if (!WaitGone(dialog, 3000)) {
      outcome.closed = false;
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
  });
  outcome.result = open();
  driver.join();
  return outcome;
}

void PressButton(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string GetItemText(HWND dialog, int id) {
  char text[4096];
  text[0] = 0;
  GetDlgItemTextA(dialog, id, text, sizeof(text));
  return text;
}

namespace {

uint32_t Crc32(const uint8_t* data, size_t length, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < length; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBig32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  PutBig32(out, static_cast<uint32_t>(data.size()));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBig32(out, Crc32(out.data() + start, out.size() - start));
}

// A PNG of 24-bit rows, compressed with stored (uncompressed) deflate blocks: large but
// simple, and every viewer reads it.
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgbRows) {
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBig32(header, width);
  PutBig32(header, height);
  header.insert(header.end(), {8, 2, 0, 0, 0});
  PutChunk(out, "IHDR", header);

  std::vector<uint8_t> raw;
  size_t rowBytes = static_cast<size_t>(width) * 3;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), rgbRows.begin() + y * rowBytes, rgbRows.begin() + (y + 1) * rowBytes);
  }
  std::vector<uint8_t> zlib = {0x78, 0x01};
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  for (size_t at = 0; at < raw.size() || raw.empty();) {
    size_t block = raw.size() - at < 65535 ? raw.size() - at : 65535;
    bool last = at + block == raw.size();
    zlib.push_back(last ? 1 : 0);
    zlib.push_back(static_cast<uint8_t>(block));
    zlib.push_back(static_cast<uint8_t>(block >> 8));
    zlib.push_back(static_cast<uint8_t>(~block));
    zlib.push_back(static_cast<uint8_t>(~block >> 8));
    zlib.insert(zlib.end(), raw.begin() + at, raw.begin() + at + block);
    at += block;
    if (last) break;
  }
  PutBig32(zlib, (b << 16) | a);
  PutChunk(out, "IDAT", zlib);
  PutChunk(out, "IEND", {});
  return out;
}

}  // namespace

std::vector<HWND> MenuWindows() {
  std::vector<HWND> windows;
  for (HWND window = FindWindowExA(nullptr, nullptr, "#32768", nullptr); window;
       window = FindWindowExA(nullptr, window, "#32768", nullptr))
    if (IsWindowVisible(window)) windows.push_back(window);
  return windows;
}

bool WaitMenus(size_t count) {
  DWORD start = GetTickCount();
  while (MenuWindows().size() < count) {
    if (GetTickCount() - start > 5000) return false;
    Sleep(50);
  }
  return true;
}

void PressKey(HWND menuWindow, UINT key) {
  PostMessageA(menuWindow, WM_KEYDOWN, key, 0);
  PostMessageA(menuWindow, WM_KEYUP, key, 0);
  Sleep(200);
}

bool SaveScreenshot(HWND window, const char* name) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  Sleep(300);
  RECT area;
  if (!GetWindowRect(window, &area)) return false;
  return SaveScreenArea(area, name);
}

std::vector<uint8_t> ScreenPixels(RECT area) {
  int width = area.right - area.left;
  int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return {};
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  SelectObject(memory, previous);
  BITMAPINFO info = TopDownFormat(width, height);
  std::vector<uint8_t> bgra(static_cast<size_t>(width) * height * 4);
  int rows = GetDIBits(memory, bitmap, 0, height, bgra.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (rows != height) bgra.clear();
  return bgra;
}

bool SaveScreenAreaTo(RECT area, const std::string& path) {
  int width = area.right - area.left;
  int height = area.bottom - area.top;
  std::vector<uint8_t> bgra = ScreenPixels(area);
  if (bgra.empty()) return false;

  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0, j = 0; i < bgra.size(); i += 4, j += 3) {
    rgb[j] = bgra[i + 2];
    rgb[j + 1] = bgra[i + 1];
    rgb[j + 2] = bgra[i];
  }
  std::vector<uint8_t> png = EncodePng(width, height, rgb);
  return WriteTextFile(path, std::string(png.begin(), png.end()));
}

bool SaveScreenArea(RECT area, const char* name) {
  std::string folder = ExeDirectory() + "\\..\\screenshots";
  CreateDirectoryA(folder.c_str(), nullptr);
  return SaveScreenAreaTo(area, folder + "\\" + name + ".png");
}
