// The copy of the program that RunElevated starts with administrator rights.
#pragma once

// True when the command line asks for the log-on screen's settings, the job of the copy
// started with administrator rights.
bool IsElevatedHandOff(const char* commandLine);
