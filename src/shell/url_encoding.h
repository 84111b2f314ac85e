// Web addresses and form-encoded text (application/x-www-form-urlencoded) in buffers the
// caller owns. Portable: no <windows.h>. Every operation returns 0 when it could not do
// its whole work.
#pragma once

// Splits scheme://host[:port]/path?query. Each output is optional; `*Size` is its room.
struct UrlParts {
  char* scheme = nullptr;
  int schemeSize = 0;
  char* host = nullptr;
  int hostSize = 0;
  int* port = nullptr;
  char* path = nullptr;
  int pathSize = 0;
  char* query = nullptr;
  int querySize = 0;
};

int ParseUrl(const char* url, const UrlParts& parts);
int UrlEncode(char* destination, int capacity, const char* source, int sourceLength = 0);
int UrlDecode(char* destination, int capacity, const char* source, int sourceLength = 0);
void FormRemove(char* form, const char* key);
int FormAppend(char* form, int capacity, const char* key, const char* value);
int FormGetValue(const char* form, char* destination, int capacity, const char* key);
