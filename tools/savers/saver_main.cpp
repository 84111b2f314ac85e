// The sample screen savers: one program drawn in five styles (SAVER_STYLE), each built
// as its own .scr with its own resources. "/S" draws full screen until a key or the
// mouse, "/C[:hwnd]" (or no argument) opens the settings dialog, "/P" and "/A" end at once.
//
// Test contract: when DOZELITE_SAVER_RECORD names a file, the command line and CR LF
// are appended to it first; the saver then ends at once unless DOZELITE_SAVER_STAY is 1.
#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "saver_dialog_ids.h"

#ifndef SAVER_STYLE
#define SAVER_STYLE 0
#endif

namespace {

constexpr UINT_PTR kFrameTimer = 1;
constexpr int kMouseSlack = 6;
constexpr float kPi = 3.14159265f;
constexpr const char* kSettingsRoot = "Software\\Dozelite Samples";

HINSTANCE instance;
int speed = 2;  // 1 slow, 2 normal, 3 fast
int width;
int height;
HDC frameDc;
HBITMAP frameBitmap;
HGDIOBJ frameOldBitmap;
bool haveMousePoint;
POINT firstMouse;
unsigned tick;

// ---------------------------------------------------------------- test record

void AppendRecord() {
  char path[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("DOZELITE_SAVER_RECORD", path, sizeof(path));
  if (length == 0 || length >= sizeof(path)) return;
  const char* line = GetCommandLineA();
  for (int attempt = 0; attempt < 50; attempt++) {
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written;
      WriteFile(file, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
      WriteFile(file, "\r\n", 2, &written, nullptr);
      CloseHandle(file);
      return;
    }
    Sleep(20);  // another saver is writing its line
  }
}

bool ShouldStay() {
  char value[8];
  DWORD length = GetEnvironmentVariableA("DOZELITE_SAVER_RECORD", value, sizeof(value));
  if (length == 0) return true;
  length = GetEnvironmentVariableA("DOZELITE_SAVER_STAY", value, sizeof(value));
  return length == 1 && value[0] == '1';
}

// ---------------------------------------------------------------- settings

void SaverName(char* name, int size) {
  if (LoadStringA(instance, 1, name, size) > 0) return;
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof(path));
  const char* file = strrchr(path, '\\');
  file = file ? file + 1 : path;
  lstrcpynA(name, file, size);
  char* dot = strchr(name, '.');
  if (dot) *dot = 0;
}

void SettingsKey(char* key, int size) {
  char name[128];
  SaverName(name, sizeof(name));
  wsprintfA(key, "%s\\", kSettingsRoot);
  lstrcpynA(key + strlen(key), name, size - static_cast<int>(strlen(key)));
}

void LoadSpeed() {
  char keyName[256];
  SettingsKey(keyName, sizeof(keyName));
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  DWORD value = 0;
  DWORD size = sizeof(value);
  DWORD type = 0;
  if (RegQueryValueExA(key, "speed", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
      type == REG_DWORD && value >= 1 && value <= 3)
    speed = static_cast<int>(value);
  RegCloseKey(key);
}

void SaveSpeed() {
  char keyName[256];
  SettingsKey(keyName, sizeof(keyName));
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, keyName, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  DWORD value = static_cast<DWORD>(speed);
  RegSetValueExA(key, "speed", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  RegCloseKey(key);
}

INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      char name[128];
      char title[192];
      SaverName(name, sizeof(name));
      wsprintfA(title, "%s Settings", name);
      SetWindowTextA(dialog, title);
      SetDlgItemTextA(dialog, IDC_SAVER_NAME, name);
      CheckRadioButton(dialog, IDC_SPEED_SLOW, IDC_SPEED_FAST, IDC_SPEED_SLOW + speed - 1);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          for (int id = IDC_SPEED_SLOW; id <= IDC_SPEED_FAST; id++)
            if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) speed = id - IDC_SPEED_SLOW + 1;
          SaveSpeed();
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

// ---------------------------------------------------------------- drawing

[[maybe_unused]] float Random01() { return static_cast<float>(rand()) / static_cast<float>(RAND_MAX); }

void FillSolid(int left, int top, int right, int bottom, COLORREF colour) {
  SetDCBrushColor(frameDc, colour);
  RECT area = {left, top, right, bottom};
  FillRect(frameDc, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

[[maybe_unused]] COLORREF Blend(COLORREF a, COLORREF b, float t) {
  if (t < 0) t = 0;
  if (t > 1) t = 1;
  return RGB(static_cast<int>(GetRValue(a) + (GetRValue(b) - GetRValue(a)) * t),
             static_cast<int>(GetGValue(a) + (GetGValue(b) - GetGValue(a)) * t),
             static_cast<int>(GetBValue(a) + (GetBValue(b) - GetBValue(a)) * t));
}

[[maybe_unused]] void Disc(int x, int y, int radius, COLORREF fill, COLORREF edge) {
  SetDCBrushColor(frameDc, fill);
  SetDCPenColor(frameDc, edge);
  Ellipse(frameDc, x - radius, y - radius, x + radius + 1, y + radius + 1);
}

#if SAVER_STYLE == 0
// Starlight: stars fly out of the centre of the screen, brightening as they near.
struct Star {
  float x, y, z;
};
constexpr int kStars = 420;
Star stars[kStars];

void ResetStar(Star* star, bool anywhere) {
  star->x = (Random01() - 0.5f) * 2.0f;
  star->y = (Random01() - 0.5f) * 2.0f;
  star->z = anywhere ? 0.05f + Random01() : 1.0f;
}

void InitScene() {
  for (Star& star : stars) ResetStar(&star, true);
}

void DrawScene() {
  FillSolid(0, 0, width, height, RGB(4, 6, 20));
  float step = 0.004f * static_cast<float>(speed);
  float scale = static_cast<float>(width > height ? width : height) * 0.5f;
  for (Star& star : stars) {
    float oldZ = star.z;
    star.z -= step;
    if (star.z <= 0.02f) {
      ResetStar(&star, false);
      continue;
    }
    int x0 = width / 2 + static_cast<int>(star.x / oldZ * scale);
    int y0 = height / 2 + static_cast<int>(star.y / oldZ * scale);
    int x1 = width / 2 + static_cast<int>(star.x / star.z * scale);
    int y1 = height / 2 + static_cast<int>(star.y / star.z * scale);
    if (x1 < 0 || y1 < 0 || x1 >= width || y1 >= height) {
      ResetStar(&star, false);
      continue;
    }
    float light = 1.0f - star.z;
    COLORREF colour = Blend(RGB(90, 110, 170), RGB(255, 250, 235), light * 1.3f);
    SetDCPenColor(frameDc, colour);
    MoveToEx(frameDc, x0, y0, nullptr);
    LineTo(frameDc, x1, y1);
    Disc(x1, y1, light > 0.75f ? 2 : 1, colour, colour);
  }
}
#elif SAVER_STYLE == 1
// Aurora: slow ribbons of green and violet light waving over a night sky.
void InitScene() {}

void DrawScene() {
  for (int y = 0; y < height; y += 8)
    FillSolid(0, y, width, y + 8, Blend(RGB(2, 10, 24), RGB(6, 40, 52), static_cast<float>(y) / height));
  float t = static_cast<float>(tick) * 0.02f * static_cast<float>(speed);
  const COLORREF colours[3] = {RGB(60, 240, 150), RGB(170, 90, 255), RGB(140, 255, 210)};
  for (int ribbon = 0; ribbon < 3; ribbon++) {
    float base = height * (0.3f + 0.18f * ribbon);
    for (int x = 0; x < width; x += 6) {
      float fx = static_cast<float>(x) / width;
      float wave = sinf(fx * 6.0f + t * (1.0f + 0.3f * ribbon)) * 0.5f + sinf(fx * 13.0f - t * 0.7f) * 0.25f;
      int y = static_cast<int>(base + wave * height * 0.12f);
      float glow = 0.55f + 0.45f * sinf(fx * 9.0f + t * 1.7f + ribbon);
      int thickness = static_cast<int>(height * 0.05f * glow) + 4;
      FillSolid(x, y - thickness, x + 6, y + thickness,
                Blend(RGB(6, 30, 44), colours[ribbon], 0.35f + 0.55f * glow));
      FillSolid(x, y - thickness / 4, x + 6, y + thickness / 4, Blend(colours[ribbon], RGB(255, 255, 255), 0.4f));
    }
  }
}
#elif SAVER_STYLE == 2 || SAVER_STYLE == 3
// Bubbles (2): glossy bubbles drifting and bouncing. Lanterns (3): warm lanterns rising.
struct Floater {
  float x, y, vx, vy, radius, phase;
  COLORREF colour;
};
constexpr int kFloaters = 28;
Floater floaters[kFloaters];

void InitScene() {
  const COLORREF bubbleColours[4] = {RGB(80, 180, 255), RGB(255, 120, 220), RGB(120, 255, 180), RGB(255, 230, 110)};
  const COLORREF lanternColours[3] = {RGB(255, 150, 40), RGB(255, 205, 90), RGB(255, 110, 60)};
  for (Floater& f : floaters) {
    f.radius = static_cast<float>(height) * (0.02f + 0.05f * Random01());
    f.x = Random01() * width;
    f.y = Random01() * height;
    f.vx = (Random01() - 0.5f) * 3.0f;
    f.vy = SAVER_STYLE == 2 ? (Random01() - 0.5f) * 3.0f : -(0.4f + Random01());
    f.phase = Random01() * 6.28f;
    f.colour = SAVER_STYLE == 2 ? bubbleColours[rand() % 4] : lanternColours[rand() % 3];
  }
}

void DrawScene() {
  if (SAVER_STYLE == 2)
    FillSolid(0, 0, width, height, RGB(8, 22, 48));
  else
    for (int y = 0; y < height; y += 8)
      FillSolid(0, y, width, y + 8, Blend(RGB(20, 8, 40), RGB(60, 20, 30), static_cast<float>(y) / height));
  float pace = 0.5f * static_cast<float>(speed);
  for (Floater& f : floaters) {
    f.phase += 0.03f * pace;
    f.x += (SAVER_STYLE == 2 ? f.vx : sinf(f.phase) * 0.8f) * pace;
    f.y += f.vy * pace;
    if (SAVER_STYLE == 2) {
      if (f.x < f.radius || f.x > width - f.radius) f.vx = -f.vx;
      if (f.y < f.radius || f.y > height - f.radius) f.vy = -f.vy;
    } else if (f.y < -f.radius * 2) {
      f.y = height + f.radius * 2;
      f.x = Random01() * width;
    }
    int x = static_cast<int>(f.x);
    int y = static_cast<int>(f.y);
    int r = static_cast<int>(f.radius);
    if (SAVER_STYLE == 2) {
      Disc(x, y, r, Blend(RGB(8, 22, 48), f.colour, 0.45f), Blend(f.colour, RGB(255, 255, 255), 0.6f));
      Disc(x - r / 3, y - r / 3, r / 5 + 1, RGB(235, 245, 255), RGB(235, 245, 255));
    } else {
      Disc(x, y, r + r / 2, Blend(RGB(40, 14, 36), f.colour, 0.25f), Blend(RGB(40, 14, 36), f.colour, 0.25f));
      SetDCBrushColor(frameDc, f.colour);
      SetDCPenColor(frameDc, Blend(f.colour, RGB(90, 40, 0), 0.5f));
      Ellipse(frameDc, x - r * 2 / 3, y - r, x + r * 2 / 3, y + r);
      FillSolid(x - r / 3, y - r - 3, x + r / 3, y - r + 2, RGB(90, 40, 0));
      FillSolid(x - r / 3, y + r - 2, x + r / 3, y + r + 3, RGB(90, 40, 0));
    }
  }
}
#else
// Plasma: a grid of tiles whose colours flow in slow interference patterns.
void InitScene() {}

void DrawScene() {
  const int tile = 32;
  float t = static_cast<float>(tick) * 0.03f * static_cast<float>(speed);
  for (int y = 0; y < height; y += tile) {
    for (int x = 0; x < width; x += tile) {
      float fx = static_cast<float>(x) / tile;
      float fy = static_cast<float>(y) / tile;
      float v = sinf(fx * 0.3f + t) + sinf(fy * 0.25f - t * 0.8f) + sinf((fx + fy) * 0.15f + t * 0.5f);
      float r = 0.5f + 0.5f * sinf(v * kPi * 0.5f);
      float g = 0.5f + 0.5f * sinf(v * kPi * 0.5f + 2.1f);
      float b = 0.5f + 0.5f * sinf(v * kPi * 0.5f + 4.2f);
      FillSolid(x + 1, y + 1, x + tile - 1, y + tile - 1,
                RGB(static_cast<int>(40 + 180 * r), static_cast<int>(40 + 180 * g), static_cast<int>(40 + 180 * b)));
    }
  }
}
#endif

// ---------------------------------------------------------------- the full-screen window

void EndSaver(HWND window) {
  KillTimer(window, kFrameTimer);
  DestroyWindow(window);
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      HDC screen = GetDC(window);
      frameDc = CreateCompatibleDC(screen);
      frameBitmap = CreateCompatibleBitmap(screen, width, height);
      frameOldBitmap = SelectObject(frameDc, frameBitmap);
      SelectObject(frameDc, GetStockObject(DC_BRUSH));
      SelectObject(frameDc, GetStockObject(DC_PEN));
      ReleaseDC(window, screen);
      InitScene();
      SetTimer(window, kFrameTimer, 33, nullptr);
      ShowCursor(FALSE);
      return 0;
    }
    case WM_TIMER:
      tick++;
      DrawScene();
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      BitBlt(dc, 0, 0, width, height, frameDc, 0, 0, SRCCOPY);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SETCURSOR:
      SetCursor(nullptr);
      return TRUE;
    case WM_MOUSEMOVE: {
      POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (!haveMousePoint) {
        firstMouse = point;
        haveMousePoint = true;
      } else if (abs(point.x - firstMouse.x) > kMouseSlack || abs(point.y - firstMouse.y) > kMouseSlack) {
        EndSaver(window);
      }
      return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      EndSaver(window);
      return 0;
    case WM_DESTROY:
      ShowCursor(TRUE);
      if (frameDc) {
        SelectObject(frameDc, frameOldBitmap);
        DeleteObject(frameBitmap);
        DeleteDC(frameDc);
        frameDc = nullptr;
      }
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int RunFullScreen() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = SaverWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, "SAVERICON");
  windowClass.lpszClassName = "DozeliteSampleSaver";
  RegisterClassA(&windowClass);
  int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (width <= 0 || height <= 0) {
    width = GetSystemMetrics(SM_CXSCREEN);
    height = GetSystemMetrics(SM_CYSCREEN);
  }
  char name[128];
  SaverName(name, sizeof(name));
  HWND window = CreateWindowExA(WS_EX_TOPMOST, windowClass.lpszClassName, name, WS_POPUP | WS_VISIBLE, left, top,
                                width, height, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  SetForegroundWindow(window);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

// The first argument after the program's own name: its mode letter and the number
// that follows it, after ":" or a space ("/c:1234", "/p 1234").
char ParseMode(const char* line, HWND* owner) {
  const char* at = line;
  if (*at == '"') {
    at = strchr(at + 1, '"');
    at = at ? at + 1 : line + strlen(line);
  } else {
    while (*at && *at != ' ' && *at != '\t') at++;
  }
  while (*at == ' ' || *at == '\t') at++;
  if (*at == '/' || *at == '-') at++;
  char mode = static_cast<char>(*at ? (*at | 0x20) : 0);
  if (*at) at++;
  while (*at == ':' || *at == ' ') at++;
  *owner = reinterpret_cast<HWND>(static_cast<INT_PTR>(_strtoi64(at, nullptr, 10)));
  return mode;
}

}  // namespace

int WINAPI WinMain(HINSTANCE thisInstance, HINSTANCE, LPSTR, int) {
  instance = thisInstance;
  srand(GetTickCount());
  AppendRecord();
  if (!ShouldStay()) return 0;
  LoadSpeed();
  HWND owner = nullptr;
  switch (ParseMode(GetCommandLineA(), &owner)) {
    case 's':
      return RunFullScreen();
    case 'p':
    case 'a':
      return 0;
    default:  // "/c", "/c:hwnd" or no argument: the settings dialog
      if (owner && !IsWindow(owner)) owner = nullptr;
      DialogBoxParamA(instance, "SAVERSETTINGS", owner, SettingsDlgProc, 0);
      return 0;
  }
}
