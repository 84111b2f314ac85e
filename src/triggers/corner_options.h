// The corner options of the tray menu: every monitor, the dwell delay, full-screen windows.
#pragma once

struct CornerDelayChoice {
  int command;
  int milliseconds;
  const char* text;  // English, in the catalogue: the menu shows Tr(text)
};

constexpr int kCornerDelayChoiceCount = 5;
extern const CornerDelayChoice kCornerDelayChoices[kCornerDelayChoiceCount];

bool IsCornerOptionCommand(int command);
// Changes the option on the main thread, saves the settings and wakes the corner watcher.
void RunCornerOptionCommand(int command);
