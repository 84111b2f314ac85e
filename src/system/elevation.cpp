// IsElevatedHandOff. The elevated copy runs in the user's own temporary folder, which the
// user's other processes can redirect (a link in place of the log file), so it writes no
// files there. It is told by its options, not by its token: where every process of an
// administrator holds a full token (no split token, as in the emulator or with UAC off)
// the token cannot tell, and there is no boundary to guard either.
#include "system/elevation.h"

#include "shell/command_line_tokens.h"

bool IsElevatedHandOff(const char* commandLine) {
  if (!commandLine) return false;
  char tokens[kTokenBufferSize];
  char value[kOptionValueSize];
  TokenizeCommandLine(commandLine, tokens, sizeof(tokens), true);
  return FindOption(tokens, "setwindowsdefault", value, sizeof(value));
}
