/* Control ids of "PATHSDIALOG". */
#pragma once

#define IDC_PATHS_LIST 1006
#define IDC_PATHS_ADD 1007
#define IDC_PATHS_FOLDER 1008
#define IDC_PATHS_REMOVE 1009
#define IDC_PATHS_BROWSE 1010
