// The command line as a list of words: each word ends with a zero and the list ends with
// an empty word. FindOption looks an option up by the beginning of a word.
#include "shell/command_line_tokens.h"

#include <cstring>

#include "shell/text_helpers.h"

static bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '/' || c == '-'; }

// Words are separated by runs of space, tab, slash and dash. A double quote switches
// quoting on and off and is dropped; inside quotes the separators are ordinary
// characters. A backslash before a double quote makes the quote literal; two
// backslashes before a double quote give one backslash and leave the quote to switch
// quoting; every other backslash stands as it is.
//
// The list always keeps room for its ending empty word. A word that does not fit whole
// is not cut: it and everything after it are left out, so a truncated value (a path cut
// short, say) never reaches an option.
void TokenizeCommandLine(const char* text, char* tokens, int capacity, bool lowerCase) {
  if (!tokens || capacity <= 0) return;
  int used = 0;
  const char* p = text ? text : "";
  for (;;) {
    if (used + 2 >= capacity) break;
    while (IsSeparator(*p)) p++;
    if (*p == 0) break;

    // The word may fill up to capacity - 2, leaving its terminator and the list's end.
    int limit = capacity - 2;
    int write = used;
    bool fits = true;
    bool quoted = false;
    while (*p && (quoted || !IsSeparator(*p))) {
      char c;
      if (p[0] == '\\' && p[1] == '\\' && p[2] == '"') {
        c = '\\';
        p += 2;  // the quote stays and switches quoting next time round
      } else if (p[0] == '\\' && p[1] == '"') {
        c = '"';
        p += 2;
      } else if (p[0] == '"') {
        quoted = !quoted;
        p++;
        continue;
      } else {
        c = *p++;
      }
      if (write >= limit) {
        fits = false;
        continue;  // read to the end of the word; it is dropped below
      }
      tokens[write++] = lowerCase ? AsciiLower(c) : c;
    }
    if (!fits) break;
    tokens[write] = 0;
    used = write + 1;
  }
  // The list's end: an empty word, plus a second zero when there is room for it.
  tokens[used] = 0;
  if (used + 1 < capacity) tokens[used + 1] = 0;
}

// Every word that begins with the name matches; the last match gives the value, which
// is what follows "name=" (empty when the next character is not an equals sign).
bool FindOption(const char* tokens, const char* name, char* value, int valueCapacity) {
  if (!tokens || !name || tokens[0] == 0) return false;
  size_t nameLength = strlen(name);
  bool found = false;
  for (const char* token = tokens; *token; token += strlen(token) + 1) {
    if (strncmp(token, name, nameLength) != 0) continue;
    found = true;
    if (!value || valueCapacity <= 0) continue;
    const char* rest = token + nameLength;
    if (*rest == '=') {
      rest++;
      size_t length = strlen(rest);
      if (length > static_cast<size_t>(valueCapacity - 1)) length = static_cast<size_t>(valueCapacity - 1);
      memcpy(value, rest, length);
      value[length] = 0;
    } else {
      value[0] = 0;
    }
  }
  return found;
}
