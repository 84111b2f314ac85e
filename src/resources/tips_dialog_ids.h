/* Control ids of "TIPSDIALOG" and the range of tip strings. */
#pragma once

#define IDC_TIPS_ICON 1001
#define IDC_TIPS_SHOW_AT_STARTUP 1016
#define IDC_TIPS_NEXT 1017
#define IDC_TIPS_HEADING 1018
#define IDC_TIPS_TEXT 1019
#define IDC_TIPS_PANEL 1020
#define IDC_TIPS_LINE 1021
#define IDC_TIPS_STRIP 1022

#define IDS_FIRST_TIP 1
