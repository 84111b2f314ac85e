// How a saver's display name is made from its module description or its file name,
// and how names compare. Portable: no <windows.h>.
#pragma once

// A description beginning with "SCRNSAVE" (any case) gives the text after its first ":"
// and the spaces after it (the whole text when it has no ":"): 1. Anything else: 0.
int DescriptionDisplayName(const char* description, char* destination, int size);
// The long name (else the short name, else "(nameless)") cut at its first ".", lower
// case with an upper-case first letter: SSMYST.SCR gives Ssmyst.
void FileDisplayName(const char* longName, const char* shortName, char* destination, int size);
// Both sides lower-cased (ASCII), then compared as unsigned bytes: <0, 0 or >0.
int CompareDisplayNames(const char* a, const char* b);
// The extension after the last "." (the whole name when there is none): 1 if a "." was found.
int GetFileExtension(const char* name, char* destination, int size);
// The catalog's order of `count` names as positions into `names` (order[k] is the name
// that ends at place k). See the definition for the exact rule on equal names.
bool OrderByDisplayName(const char* const* names, int count, int* order);
