// libFuzzer target: the command-line tokenizer and option look-up on arbitrary text.
// The first input byte picks the token buffer's capacity, so small buffers are hit too.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "shell/command_line_tokens.h"

static const char* const kOptions[] = {"debug", "delay", "kill", "setsaver", "timeout", "powermode", "?", "help", ""};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  int capacity = data[0] == 0 ? kTokenBufferSize : data[0];
  std::vector<char> text(data + 1, data + size);
  text.push_back(0);
  bool lowerCase = (data[0] & 1) != 0;

  // Exactly the capacity, so AddressSanitizer sees any write past it.
  std::vector<char> tokens(static_cast<size_t>(capacity));
  TokenizeCommandLine(text.data(), tokens.data(), capacity, lowerCase);
  if (memchr(tokens.data(), 0, tokens.size()) == nullptr) __builtin_trap();

  char value[kOptionValueSize];
  for (const char* option : kOptions) {
    if (FindOption(tokens.data(), option, value, sizeof(value)) && strlen(value) >= sizeof(value)) __builtin_trap();
    FindOption(tokens.data(), option, nullptr, 0);
  }
  return 0;
}
