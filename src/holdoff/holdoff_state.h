// What the hold-off holds now, for the tooltip, the menu and the diagnosis. Main thread.
#pragma once

// True while a hold-off rule holds the saver off; reason receives its text ("a full-screen
// window is in front", "<name> is running", "<name> is in front"), cut to size.
bool GetHoldOffReason(char* reason, int size);
