// Start-up options: applied once, after the main window exists.
#pragma once

void ParseCommandLine(char* commandLine);
