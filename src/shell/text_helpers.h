// Small text and path helpers shared by every subsystem. Portable: no <windows.h>.
// Every copy is bounded by its destination.
#pragma once

// Copies at most size - 1 bytes and terminates; nothing for size 0 or less. A cut never
// splits a UTF-8 sequence: it falls before the character that does not fit.
void CopyText(char* destination, const char* source, int size);
// How many of the first `length` bytes of text to keep so that a cut there leaves no
// unfinished UTF-8 sequence at the end (for text already cut, whose rest is lost).
int Utf8CutLength(const char* text, int length);
// Lower case for ASCII letters only: bytes of multi-byte characters pass unchanged.
char AsciiLower(char character);
// Appends source to the text in destination (room `size` in all), cut to fit; 0 if cut.
int AppendText(char* destination, const char* source, int size);
char* DuplicateText(const char* text);  // free() the result; null for null or no memory
int TrimChar(char* destination, const char* source, char character);
void StripQuotes(char* text);
int CollapseRepeats(char* destination, const char* source, char character);
const char* FindTextNoCase(const char* text, const char* word);
bool IsEmptyText(const char* text);
// Copies text for a menu item or a label: every "&" doubled, so that a name read from a
// file shows as it is and takes no access key; cut between characters to fit.
void EscapeAmpersands(char* destination, const char* source, int size);

// Paths are at most kPathSize characters with the terminator, as the program's buffers.
constexpr int kPathSize = 260;
int JoinPath(char* folder, const char* name, int size = kPathSize);
int SetTrailingBackslash(char* path, bool add, int size = kPathSize);
int GetDirectory(const char* source, char* destination, int size = kPathSize);
int GetFileName(const char* source, char* destination, int size = kPathSize);
int GetExtension(const char* source, char* destination, int size = kPathSize);
// A command as Windows keeps it in "Run" and "UninstallString": a quoted program path
// with arguments after it, or (as older values were written) the bare path, spaces and
// all, with no arguments. Copies the program path into `file` (cut to `size`) and
// returns the arguments with the blanks before them skipped ("" when there are none).
const char* SplitProgramCommand(const char* command, char* file, int size);

// An open dialog's filter: `name` and `pattern`, each ended by a zero, and a zero after
// the last. A name too long for `size` is cut at a character's end; the pattern never is.
void MakeFileFilter(char* filter, int size, const char* name, const char* pattern);
