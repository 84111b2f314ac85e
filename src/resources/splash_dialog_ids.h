/* Control ids of "SPLASHDIALOG". */
#pragma once

#define IDC_SPLASH_ICON 1001
#define IDC_SPLASH_VERSION 1003
#define IDC_SPLASH_LEGAL 1004
#define IDC_SPLASH_HELP 1015
