// UrlEncode/UrlDecode, FormGetValue, FormAppend and FormRemove on inputs split at zero
// bytes into form, key and value, with capacities the first byte chooses. Checks that a
// text that encodes and decodes whole comes back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "shell/url_encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  int capacity = 1 + data[0];
  std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t zero; parts.size() < 2 && (zero = rest.find('\0', start)) != std::string::npos; start = zero + 1)
    parts.push_back(rest.substr(start, zero - start));
  parts.push_back(rest.substr(start));
  while (parts.size() < 3) parts.push_back("");
  const std::string& form = parts[0];
  const std::string& key = parts[1];
  const std::string& value = parts[2];

  std::vector<char> encoded(capacity), decoded(capacity);
  int wholeEncode = UrlEncode(encoded.data(), capacity, value.c_str());
  int wholeDecode = UrlDecode(decoded.data(), capacity, encoded.data());
  if (wholeEncode && wholeDecode && value.find('\0') == std::string::npos && value != decoded.data()) abort();
  UrlDecode(decoded.data(), capacity, form.c_str(), static_cast<int>(form.size() % 97));

  std::vector<char> found(capacity);
  FormGetValue(form.c_str(), found.data(), capacity, key.c_str());

  std::vector<char> buffer(form.size() + capacity + 1);
  memcpy(buffer.data(), form.c_str(), form.size() + 1);
  if (FormAppend(buffer.data(), static_cast<int>(buffer.size()), key.c_str(), value.c_str())) {
    // With a plain key that occurs nowhere else, the appended field reads back unchanged.
    std::string text = buffer.data();
    std::string plainValue = value.c_str();
    bool plainKey = !key.empty() && key.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                         "0123456789-._~") == std::string::npos;
    std::vector<char> back(plainValue.size() + 2);
    if (plainKey && text.find(key + "=") == text.rfind(key + "=") &&
        (!FormGetValue(text.c_str(), back.data(), static_cast<int>(back.size()), key.c_str()) ||
         plainValue != back.data()))
      abort();
  }
  if (strlen(buffer.data()) >= buffer.size()) abort();
  FormRemove(buffer.data(), key.c_str());
  return 0;
}
