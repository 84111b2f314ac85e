// Control ids of the sample savers' settings dialog.
#pragma once

#define IDC_SAVER_NAME 101
#define IDC_SPEED_SLOW 102
#define IDC_SPEED_NORMAL 103
#define IDC_SPEED_FAST 104
