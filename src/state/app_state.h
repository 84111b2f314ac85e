// The process-wide application state, in parts by owner. The main thread is the only
// writer of every part; worker threads read only the fields declared std::atomic, and
// each part's comment names who reads it from which thread.
#pragma once

#include <windows.h>

#include <atomic>

struct SaverInfo;

constexpr const char* kProductName = "Dozelite";
constexpr const char* kWindowClassName = "DozeliteTrayIconClass";
constexpr const char* kWindowTitle = "Dozelite";

constexpr int kVersionTextSize = 12;  // 11 characters and the terminator
constexpr int kLegalTextSize = 52;    // 51 characters and the terminator
constexpr int kShownTipsSize = 20;
constexpr int kIdSize = 37;           // 36-character UUID text and the terminator
constexpr int kMaxSaverPaths = 4096;  // entries of saverpath, the ending empty one included
constexpr int kAnimationFrames = 9;

struct HotKeyEntry {
  int id;
  UINT virtualKey;  // 0: the entry has no hot key
  UINT modifiers;   // MOD_ALT, MOD_CONTROL, MOD_SHIFT
  UINT editVirtualKey;
  UINT editModifiers;
  const char* description;
  const char* keyValueName;
  const char* modifiersValueName;
};

struct ApplicationState {
  // Process, window and system. Written by start-up on the main thread; fixed afterwards, so
  // any thread may read them (the watcher and update threads post to mainWindow, the log
  // owns its boxes by it).
  HINSTANCE instance;
  std::atomic<HWND> mainWindow;
  char versionText[kVersionTextSize];
  char legalText[kLegalTextSize];
  OSVERSIONINFOA osVersion;

  // Saver catalog: owned by catalog/, replaced only by the main thread (the start-up load's
  // hand-over and command 40011); read on the main thread only.
  SaverInfo* savers;
  int saverCount;

  // System saver settings, mirrored: written by system/ on the main thread only (the registry
  // watcher posts its readings); the watcher thread may read them.
  std::atomic<int> saverActive;
  std::atomic<int> passwordActive;
  std::atomic<int> saverTimeout;  // seconds
  std::atomic<int> disableSeconds;
  std::atomic<DWORD> disableStartTick;

  // Program settings, persisted by settings/ under the registry value of the same name.
  // Written by the main thread (settings load, commands, dialogs); the watcher thread
  // reads the atomic corner fields; nothing else leaves the main thread.
  int delay;  // milliseconds
  int nosplash;
  int notips;
  int tipnumber;
  char showntips[kShownTipsSize];
  int randomonclick;
  int randomonload;
  int randomonactivate;
  std::atomic<int> corneraction;
  int splitlist;
  int chooselaunch;
  int unifiedlist;
  int notifications;  // balloons for commands given by hot key, corner or hand-off
  int selectionActionMessageBase;
  int singleLeftActionMessage;
  int doubleLeftActionMessage;
  int singleRightActionMessage;
  int doubleRightActionMessage;
  std::atomic<int> topLeftActionMessage;
  std::atomic<int> bottomLeftActionMessage;
  std::atomic<int> topRightActionMessage;
  std::atomic<int> bottomRightActionMessage;
  std::atomic<int> cornerscope;        // 0 the primary monitor's corners, 1 every monitor's
  std::atomic<int> cornerdelay;        // milliseconds the cursor must stay in a corner
  std::atomic<int> cornersfullscreen;  // corners fire over a full-screen window too
  char* saverpath[kMaxSaverPaths];  // owned texts, ended by a null entry
  char id[kIdSize];
  HotKeyEntry hotKeys[2];

  // Command-line flags (never persisted): written and read by start-up on the main thread.
  int kill;
  int help;
  int run;
  int uninstall;

  // Tray interaction: written and read by the tray and the window procedure on the main
  // thread only.
  int leftClicks;
  int rightClicks;
  POINT clickPoint;
  DWORD lastMouseMoveTick;
  std::atomic<int> animationFrame;
  UINT taskbarCreatedMessage;
  int recordedCommand;

  // Loaded images: owned by the tray's images, main thread only.
  HICON frameIcons[kAnimationFrames];
  HICON crossedFrameIcons[kAnimationFrames];
  HICON disabledIcon;
  HBITMAP uncheckedBitmap;
  HBITMAP checkedBitmap;
};

extern ApplicationState AppState;

// Gives every field its start value (frees nothing: the saver list and paths of a
// previous state must have been released by their owners).
void ResetAppState(HINSTANCE instance);

// Releases the owned search path texts and empties the list.
void FreeSaverPaths();

bool IsLegacyWindows();
bool IsNtPlatform();
