/* Control ids of "TEXTDIALOG". */
#pragma once

#define IDC_TEXT_ICON 1001
#define IDC_TEXT_FIELD 1002
#define IDC_TEXT_VERSION 1003
#define IDC_TEXT_LEGAL 1004
