#include "state/app_state.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(IsLegacyWindows, DependsOnFamilyAndVersion) {
  ResetAppState(GetModuleHandleA(nullptr));
  struct Case {
    DWORD platform, major, minor;
    bool legacy;
  };
  const Case cases[] = {
      {VER_PLATFORM_WIN32_NT, 4, 0, true},       {VER_PLATFORM_WIN32_NT, 5, 1, false},
      {VER_PLATFORM_WIN32_NT, 6, 1, false},      {VER_PLATFORM_WIN32_WINDOWS, 4, 0, true},
      {VER_PLATFORM_WIN32_WINDOWS, 4, 10, false}, {VER_PLATFORM_WIN32_WINDOWS, 3, 95, true},
  };
  for (const Case& c : cases) {
    AppState.osVersion.dwPlatformId = c.platform;
    AppState.osVersion.dwMajorVersion = c.major;
    AppState.osVersion.dwMinorVersion = c.minor;
    EXPECT_EQ(IsLegacyWindows(), c.legacy) << c.platform << " " << c.major << "." << c.minor;
  }
}

TEST(ResetAppState, GivesTheStartValues) {
  ResetAppState(GetModuleHandleA(nullptr));
  EXPECT_EQ(AppState.saverTimeout, 600);
  EXPECT_EQ(AppState.delay, 150);
  EXPECT_EQ(AppState.splitlist, 1);
  EXPECT_EQ(AppState.selectionActionMessageBase, 41000);
  EXPECT_EQ(AppState.recordedCommand, 40006);
  EXPECT_STREQ(AppState.showntips, "1111111111111111111");
  EXPECT_EQ(AppState.id[0], 0);
  EXPECT_EQ(AppState.saverpath[0], nullptr);
  EXPECT_EQ(AppState.hotKeys[0].id, 0);
  EXPECT_STREQ(AppState.hotKeys[0].description, "activate your screen saver");
  EXPECT_STREQ(AppState.hotKeys[0].modifiersValueName, "hotkeymodifiers");
  EXPECT_EQ(AppState.hotKeys[1].id, 1);
  EXPECT_STREQ(AppState.hotKeys[1].description, "power off you monitor");
  EXPECT_STREQ(AppState.hotKeys[1].keyValueName, "hotkeypoweroff");
  EXPECT_EQ(AppState.hotKeys[1].virtualKey, 0u);
}
