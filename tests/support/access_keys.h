// Access keys as menus and dialogs read them: the character after a single "&" ("&&" is a
// literal ampersand), compared without case in any script; and a checker that collects, per
// level or dialog, the texts without a key and the keys used twice.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

// The access key of a UTF-8 text, upper-cased as the system compares keys ("&ж" and "&Ж"
// are one key), as UTF-8; empty when the text has none.
inline std::string AccessKeyOf(const std::string& text) {
  for (size_t i = 0; i + 1 < text.size(); i++) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      i++;
      continue;
    }
    size_t length = 1;
    unsigned char lead = static_cast<unsigned char>(text[i + 1]);
    if (lead >= 0xF0) length = 4;
    else if (lead >= 0xE0) length = 3;
    else if (lead >= 0xC0) length = 2;
    std::string key = text.substr(i + 1, length);
    wchar_t wide[4] = L"";
    int count = MultiByteToWideChar(CP_UTF8, 0, key.data(), static_cast<int>(key.size()), wide, 3);
    if (count <= 0) return key;
    CharUpperBuffW(wide, static_cast<DWORD>(count));
    char upper[16] = "";
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, count, upper, sizeof(upper) - 1, nullptr, nullptr);
    return std::string(upper, bytes > 0 ? static_cast<size_t>(bytes) : 0);
  }
  return "";
}

// The texts of one level (a menu level, a dialog), each needing a key or not.
class AccessKeyLevel {
 public:
  explicit AccessKeyLevel(std::string where) : where_(std::move(where)) {}
  void Add(const std::string& text, bool needsKey) {
    std::string key = AccessKeyOf(text);
    if (key.empty()) {
      if (needsKey) problems_.push_back(where_ + ": \"" + text + "\" has no access key");
      return;
    }
    auto found = seen_.find(key);
    if (found != seen_.end())
      problems_.push_back(where_ + ": \"" + found->second + "\" and \"" + text + "\" share " + key);
    else
      seen_[key] = text;
  }
  const std::vector<std::string>& problems() const { return problems_; }

 private:
  std::string where_;
  std::map<std::string, std::string> seen_;
  std::vector<std::string> problems_;
};

inline std::string JoinLines(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  return all;
}
