// URL splitting, percent-encoding and form fields ("name=value" joined by "&").
#include "shell/url_encoding.h"

#include <cstdlib>
#include <cstring>

#include "shell/text_helpers.h"

namespace {

void CopyRange(char* destination, int size, const char* begin, const char* end) {
  if (!destination || size <= 0) return;
  int length = static_cast<int>(end - begin);
  if (length > size - 1) length = size - 1;
  memcpy(destination, begin, length);
  destination[length] = 0;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsPlain(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

}  // namespace

int ParseUrl(const char* url, const UrlParts& parts) {
  if (!url) return 0;
  const char* separator = strstr(url, "://");
  if (!separator) return 0;
  CopyRange(parts.scheme, parts.schemeSize, url, separator);

  const char* host = separator + 3;
  const char* hostEnd = host + strcspn(host, "/:");
  if (hostEnd == host) return 0;
  CopyRange(parts.host, parts.hostSize, host, hostEnd);

  int port = strncmp(url, "http:", 5) == 0 ? 80 : -1;
  const char* rest = hostEnd;
  if (*rest == ':') {
    const char* digits = rest + 1;
    const char* digitsEnd = digits + strcspn(digits, "/");
    size_t count = static_cast<size_t>(digitsEnd - digits);
    if (count < 1 || count > 5) return 0;
    for (const char* d = digits; d < digitsEnd; d++)
      if (*d < '0' || *d > '9') return 0;
    port = static_cast<int>(strtol(digits, nullptr, 10));
    rest = digitsEnd;
  }
  if (parts.port) *parts.port = port;

  const char* pathEnd = rest + strcspn(rest, "?");
  if (pathEnd == rest)
    CopyText(parts.path, "/", parts.pathSize);
  else
    CopyRange(parts.path, parts.pathSize, rest, pathEnd);
  const char* query = *pathEnd == '?' ? pathEnd + 1 : pathEnd;
  CopyText(parts.query, query, parts.querySize);
  return 1;
}

int UrlEncode(char* destination, int capacity, const char* source, int sourceLength) {
  if (!destination || capacity <= 0) return 0;
  static const char kHex[] = "0123456789ABCDEF";
  size_t length = sourceLength > 0 ? static_cast<size_t>(sourceLength) : (source ? strlen(source) : 0);
  int used = 0;
  int result = 1;
  for (size_t i = 0; i < length; i++) {
    unsigned char c = static_cast<unsigned char>(source[i]);
    if (IsPlain(c)) {
      if (capacity - used < 2) {
        result = 0;
        break;
      }
      destination[used++] = static_cast<char>(c);
    } else {
      if (capacity - used < 4) {
        result = 0;
        break;
      }
      destination[used++] = '%';
      destination[used++] = kHex[c >> 4];
      destination[used++] = kHex[c & 15];
    }
  }
  destination[used] = 0;
  return result;
}

int UrlDecode(char* destination, int capacity, const char* source, int sourceLength) {
  if (!destination || capacity <= 0) return 0;
  size_t length = sourceLength > 0 ? static_cast<size_t>(sourceLength) : (source ? strlen(source) : 0);
  int used = 0;
  int result = 1;
  size_t i = 0;
  for (; i < length && source[i]; i++) {
    if (capacity - used < 2) {
      result = 0;
      break;
    }
    char c = source[i];
    if (c == '+') {
      destination[used++] = ' ';
    } else if (c == '%') {
      if (i + 1 == length || source[i + 1] == 0) break;  // a final "%" is dropped
      int high = i + 1 < length ? HexValue(source[i + 1]) : -1;
      int low = i + 2 < length && high >= 0 ? HexValue(source[i + 2]) : -1;
      if (high < 0 || low < 0) {
        result = 0;
        break;
      }
      destination[used++] = static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      destination[used++] = c;
    }
  }
  destination[used] = 0;
  return result;
}

// A field that is exactly the key or starts with "key=" is removed with the "&" after it;
// the walk then resumes after the next "&", so a field right after a removed one is not
// examined. Removing the last field leaves the "&" before it.
void FormRemove(char* form, const char* key) {
  if (!form || !key) return;
  size_t keyLength = strlen(key);
  char* field = form;
  while (*field) {
    char* end = strchr(field, '&');
    size_t fieldLength = end ? static_cast<size_t>(end - field) : strlen(field);
    bool matches = strncmp(field, key, keyLength) == 0 && (fieldLength == keyLength || field[keyLength] == '=');
    if (matches) {
      char* after = end ? end + 1 : field + fieldLength;
      memmove(field, after, strlen(after) + 1);
      char* next = strchr(field, '&');
      if (!next) break;
      field = next + 1;
    } else {
      if (!end) break;
      field = end + 1;
    }
  }
}

int FormAppend(char* form, int capacity, const char* key, const char* value) {
  if (!form || !key || capacity <= 0) return 0;
  FormRemove(form, key);
  int length = static_cast<int>(strlen(form));
  if (capacity - length < 2) return 0;
  int at = length;
  if (length != 0) form[at++] = '&';
  if (!UrlEncode(form + at, capacity - at, key)) {
    form[length] = 0;
    return 0;
  }
  at += static_cast<int>(strlen(form + at));
  if (capacity - at < 2) {
    form[length] = 0;
    return 0;
  }
  form[at++] = '=';
  if (!UrlEncode(form + at, capacity - at, value ? value : "")) {
    form[length] = 0;
    return 0;
  }
  return 1;
}

int FormGetValue(const char* form, char* destination, int capacity, const char* key) {
  if (destination && capacity > 0) destination[0] = 0;
  if (!form || !key) return 0;
  size_t keyLength = strlen(key);
  const char* field = form;
  while (*field) {
    const char* end = strchr(field, '&');
    if (strncmp(field, key, keyLength) == 0 && field[keyLength] == '=') {
      const char* value = field + keyLength + 1;
      int valueLength = end ? static_cast<int>(end - value) : static_cast<int>(strlen(value));
      if (valueLength == 0) return 1;
      return UrlDecode(destination, capacity, value, valueLength);
    }
    if (!end) break;
    field = end + 1;
  }
  return 0;
}
