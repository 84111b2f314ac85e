// Not yet built: the command line arrives with the triggers and command-line work.
#include "app/command_line.h"

void ParseCommandLine(char*) {}
