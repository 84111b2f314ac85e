// Splitting the command line into option words, and looking options up among them.
// Portable: no <windows.h>.
#pragma once

constexpr int kTokenBufferSize = 512;   // the token list, every word and the list's end
constexpr int kOptionValueSize = 260;   // an option's value and its terminator

void TokenizeCommandLine(const char* text, char* tokens, int capacity, bool lowerCase);
bool FindOption(const char* tokens, const char* name, char* value, int valueCapacity);
