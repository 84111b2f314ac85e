// Command identifiers, window messages and timer ids of the main window. Every user
// action ends as a WM_COMMAND with one of these identifiers.
#pragma once

#include <windows.h>

// Window messages
constexpr UINT kTrayCallbackMessage = WM_APP + 444;  // 33212, lParam carries the mouse message
constexpr UINT kTrayIconId = 1;                      // the uID of the one tray icon
// Private messages of the main window, one block per owner: WM_APP + 450..459 shared state
// and the tray, 460..469 hold-off, 470..479 the saver catalog, 480..489 corners, 490..499
// notifications and display scale, 500..509 the diagnosis.
constexpr UINT kSaverSettingsReadMessage = WM_APP + 450;  // lParam: the registry watcher's reading
constexpr UINT kChangesAnnouncedMessage = WM_APP + 451;  // changes are pending (state/announce.h)
constexpr UINT kUpdateCheckDoneMessage = WM_APP + 455;  // lParam: the outcome of the menu's update check

// Where a posted WM_COMMAND came from, in its lParam: commands nobody saw happen (hot keys,
// corners, a second start's hand-off) are told to the user; menu commands are not.
enum CommandSource : LPARAM {
  kSourceMenu = 0,
  kSourceHotKey = 1,
  kSourceCorner = 2,
  kSourceHandOff = 3,
  kSourceTrayIcon = 4,  // a click or key on the tray icon (told nothing: the user is there)
};

// Timers of the main window
constexpr UINT_PTR kTimerDoubleClick = 234;
constexpr UINT_PTR kTimerRandomSaver = 345;
constexpr UINT_PTR kTimerAnimation = 656;
constexpr UINT_PTR kTimerDisablePeriod = 776;
// Timers 900..909 shared state, 910..919 hold-off, 920..929 corners, 930..939 catalog,
// 940..949 notifications and display scale.
constexpr UINT kAnimationPeriodMs = 150;
constexpr DWORD kMouseMoveRefreshMs = 1000;

// Fixed identifiers
enum Command : int {
  kCmdReloadSettings = 40001,
  kCmdAnimateIcon = 40002,
  kCmdShowTrayMenu = 40003,
  kCmdDisplayProperties = 40004,
  kCmdExit = 40005,
  kCmdRunSaverNow = 40006,
  kCmdConfigureCurrentSaver = 40007,
  kCmdToggleSaver = 40008,
  kCmdChooseRandomSaver = 40009,
  kCmdLaunchRandomSaver = 40010,
  kCmdRefreshSavers = 40011,
  kCmdChooseNoSaver = 40012,
  kCmdTogglePassword = 40013,
  kCmdChangePassword = 40014,
  kCmdPowerOn = 40015,
  kCmdPowerOff = 40016,
  kCmdPowerSuspend = 40017,
  kCmdPowerStandby = 40018,
  kCmdPowerOptions = 40019,
  kCmdToggleLoadAtStartup = 40020,
  kCmdToggleRandomOnClick = 40021,
  kCmdToggleRandomOnLoad = 40022,
  kCmdToggleRandomOnActivate = 40023,
  kCmdSetLeftClick = 40024,
  kCmdSetLeftDoubleClick = 40025,
  kCmdSetRightClick = 40026,
  kCmdSetRightDoubleClick = 40027,
  kCmdRestoreClickDefaults = 40028,
  kCmdSetTopLeftCorner = 40029,
  kCmdSetBottomLeftCorner = 40030,
  kCmdSetTopRightCorner = 40031,
  kCmdSetBottomRightCorner = 40032,
  kCmdRestoreCornerDefaults = 40033,
  kCmdSetWindowsDefault = 40034,
  kCmdUninstall = 40035,
  kCmdToggleSplash = 40036,
  kCmdEditSaverPaths = 40037,
  kCmdToggleCornerActions = 40038,
  kCmdOtherTimeout = 40039,
  kCmdOtherDisablePeriod = 40040,
  kCmdDumpLogToFile = 40041,
  kCmdDumpLogToDisplay = 40042,
  kCmdOpenLogFolder = 40043,
  kCmdDumpSavers = 40044,
  kCmdClearLog = 40045,
  kCmdToggleAutoLog = 40046,
  kCmdToggleDebugMessages = 40047,
  kCmdToggleSplitList = 40048,
  kCmdToggleChooseLaunch = 40049,
  kCmdToggleUnifiedList = 40051,
  kCmdUnifiedChoose = 40052,
  kCmdUnifiedLaunch = 40053,
  kCmdUnifiedConfigure = 40054,
  kCmdHelp = 40055,
  kCmdActivationHotKey = 40056,
  kCmdPowerOffHotKey = 40057,
  kCmdToggleTips = 40058,
  kCmdTipOfTheDay = 40059,
  kCmdBrowseWebsite = 40060,
  kCmdCheckForUpdates = 40061,
  kCmdDonate = 40062,
  kCmdFeedback = 40063,
  kCmdTellAFriend = 40064,
  kCmdAbout = 40065,
};

constexpr int kFirstFixedCommand = 40001;
constexpr int kLastFixedCommand = 40065;

// Identifiers added after the first release: after the fixed block and before the ranges.
enum LaterCommand : int {
  // Hold-off
  kCmdToggleFullScreenHoldOff = 40100,
  kCmdHoldOffPrograms = 40101,
  kCmdToggleHoldOff = 40102,
  kCmdHoldUntil = 40103,
  kCmdEndHoldUntil = 40104,
  kCmdHoldOffSchedules = 40105,
  // Corners
  kCmdToggleCornerEveryMonitor = 40110,
  kCmdToggleCornersOverFullScreen = 40111,
  kCmdCornerDelayNone = 40112,
  kCmdCornerDelay150 = 40113,
  kCmdCornerDelay300 = 40114,
  kCmdCornerDelay500 = 40115,
  kCmdCornerDelay1000 = 40116,
  // Diagnosis
  kCmdDiagnose = 40120,
  // Notifications
  kCmdToggleNotifications = 40130,
  // Language: follow Windows, or one of the program's languages by its index
  kCmdLanguageWindowsDefault = 40140,
  kRangeLanguage = 40141,
};
constexpr int kLanguageRangeSize = 32;  // 40141..40172
constexpr int kFirstLaterCommand = 40100;
constexpr int kLastLaterCommand = 40199;

// Ranges of 1000: a saver index or a number of minutes is added to the base.
constexpr int kRangeSize = 1000;
constexpr int kRangeChooseSaver = 41000;
constexpr int kRangeSetTimeout = 42000;
constexpr int kRangeDisableMinutes = 43000;
constexpr int kRangeLaunchSaver = 44000;
constexpr int kRangeConfigureSaver = 45000;
constexpr int kRangeSaverProperties = 46000;

// "24 Hours" in the disable submenu: 1440 minutes do not fit the 43000 range, so the
// item has an identifier of its own outside the fixed identifiers and the ranges.
constexpr int kCmdDisableOneDay = 47440;
constexpr int kOneDayMinutes = 1440;
