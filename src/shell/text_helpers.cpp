// Text and path helpers. The destination-and-size pairs make every copy bounded; the
// path operations take the size of the program's path buffers unless told otherwise.
#include "shell/text_helpers.h"

#include <cstdlib>
#include <cstring>

// A UTF-8 sequence is a lead byte (110xxxxx, 1110xxxx or 11110xxx announcing 2, 3 or 4
// bytes) and that many minus one continuation bytes (10xxxxxx). A cut at `length` splits
// one when the last lead byte before it announces more bytes than remain before the cut
// and only continuation bytes follow it.
int Utf8CutLength(const char* text, int length) {
  if (!text || length <= 0) return 0;
  for (int back = 1; back <= 4 && back <= length; back++) {
    unsigned char byte = static_cast<unsigned char>(text[length - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    int announced = (byte & 0xE0) == 0xC0 ? 2 : (byte & 0xF0) == 0xE0 ? 3 : (byte & 0xF8) == 0xF0 ? 4 : 1;
    return announced > back ? length - back : length;
  }
  return length;
}

char AsciiLower(char character) {
  return character >= 'A' && character <= 'Z' ? static_cast<char>(character - 'A' + 'a') : character;
}

void CopyText(char* destination, const char* source, int size) {
  if (!destination || size <= 0) return;
  if (!source) {
    destination[0] = 0;
    return;
  }
  size_t length = strnlen(source, static_cast<size_t>(size) - 1);
  // Only a continuation byte right after the cut means a character is being split; so text
  // in a single-byte code page ("Caf\xE9 au lait") keeps every byte that fits.
  if ((static_cast<unsigned char>(source[length]) & 0xC0) == 0x80)
    length = static_cast<size_t>(Utf8CutLength(source, static_cast<int>(length)));
  memmove(destination, source, length);
  destination[length] = 0;
}

int AppendText(char* destination, const char* source, int size) {
  if (!destination || size <= 0) return 0;
  size_t used = strnlen(destination, static_cast<size_t>(size) - 1);
  size_t wanted = source ? strlen(source) : 0;
  CopyText(destination + used, source ? source : "", size - static_cast<int>(used));
  return used + wanted < static_cast<size_t>(size) ? 1 : 0;
}

char* DuplicateText(const char* text) {
  if (!text) return nullptr;
  size_t length = strlen(text);
  char* copy = static_cast<char*>(malloc(length + 1));
  if (copy) memcpy(copy, text, length + 1);
  return copy;
}

// Works when destination and source are the same buffer.
int TrimChar(char* destination, const char* source, char character) {
  if (!destination || !source) return 0;
  const char* start = source;
  while (*start == character && *start) start++;
  size_t length = strlen(start);
  while (length > 0 && start[length - 1] == character) length--;
  memmove(destination, start, length);
  destination[length] = 0;
  return 1;
}

void StripQuotes(char* text) {
  if (text) TrimChar(text, text, '"');
}

int CollapseRepeats(char* destination, const char* source, char character) {
  if (!destination || !source || strlen(source) < 2) return 0;
  char* out = destination;
  char previous = 0;
  for (const char* in = source; *in; in++) {
    if (*in == character && previous == character) continue;
    previous = *in;
    *out++ = *in;
  }
  *out = 0;
  return 1;
}

const char* FindTextNoCase(const char* text, const char* word) {
  if (!text || !word) return nullptr;
  if (!*word) return text;
  size_t wordLength = strlen(word);
  for (const char* at = text; *at; at++) {
    size_t i = 0;
    while (i < wordLength && at[i] &&
           AsciiLower(at[i]) == AsciiLower(word[i]))
      i++;
    if (i == wordLength) return at;
  }
  return nullptr;
}

bool IsEmptyText(const char* text) { return !text || !*text; }

void EscapeAmpersands(char* destination, const char* source, int size) {
  if (!destination || size <= 0) return;
  int used = 0;
  for (const char* at = source ? source : ""; *at; at++) {
    int need = *at == '&' ? 2 : 1;
    if (used + need > size - 1) break;
    destination[used++] = *at;
    if (*at == '&') destination[used++] = '&';
  }
  destination[Utf8CutLength(destination, used)] = 0;
}

int JoinPath(char* folder, const char* name, int size) {
  if (IsEmptyText(folder)) return 0;
  size_t length = strlen(folder);
  if (folder[length - 1] != '\\' && length + 1 < static_cast<size_t>(size)) {
    folder[length++] = '\\';
    folder[length] = 0;
  }
  AppendText(folder, name ? name : "", size);
  return 1;
}

int SetTrailingBackslash(char* path, bool add, int size) {
  if (IsEmptyText(path)) return 0;
  size_t length = strlen(path);
  bool ends = path[length - 1] == '\\';
  if (add && !ends && length + 1 < static_cast<size_t>(size)) {
    path[length] = '\\';
    path[length + 1] = 0;
  } else if (!add && ends) {
    path[length - 1] = 0;
  }
  return 1;
}

static int SplitAtLast(const char* source, char* destination, int size, char separator, bool before) {
  if (!source || !destination) return 0;
  const char* last = strrchr(source, separator);
  if (!last) {
    CopyText(destination, source, size);
    return 0;
  }
  if (before) {
    int length = static_cast<int>(last - source);
    CopyText(destination, source, length + 1 < size ? length + 1 : size);
  } else {
    CopyText(destination, last + 1, size);
  }
  return 1;
}

int GetDirectory(const char* source, char* destination, int size) {
  return SplitAtLast(source, destination, size, '\\', true);
}

int GetFileName(const char* source, char* destination, int size) {
  return SplitAtLast(source, destination, size, '\\', false);
}

int GetExtension(const char* source, char* destination, int size) {
  return SplitAtLast(source, destination, size, '.', false);
}

const char* SplitProgramCommand(const char* command, char* file, int size) {
  if (size > 0) file[0] = 0;
  if (!command) return "";
  while (*command == ' ' || *command == '\t') command++;
  if (*command != '"') {
    CopyText(file, command, size);
    return command + strlen(command);
  }
  const char* start = command + 1;
  const char* end = strchr(start, '"');
  if (!end) end = start + strlen(start);  // an unclosed quote runs to the end
  int length = static_cast<int>(end - start);
  if (size > 0) CopyText(file, start, length + 1 < size ? length + 1 : size);
  const char* arguments = *end ? end + 1 : end;
  while (*arguments == ' ' || *arguments == '\t') arguments++;
  return arguments;
}

void MakeFileFilter(char* filter, int size, const char* name, const char* pattern) {
  if (!filter || size <= 0) return;
  size_t patternBytes = strlen(pattern ? pattern : "");
  if (static_cast<size_t>(size) < patternBytes + 4) {  // room for neither: an empty list
    filter[0] = 0;
    if (size > 1) filter[1] = 0;
    return;
  }
  int nameRoom = size - static_cast<int>(patternBytes) - 2;  // the pattern and the last two zeros
  CopyText(filter, name ? name : "", nameRoom);
  size_t named = strlen(filter);
  memcpy(filter + named + 1, pattern ? pattern : "", patternBytes + 1);
  filter[named + patternBytes + 2] = 0;
}
