// Access keys as menus and dialogs read them: the character after a single "&" ("&&" is a
// literal ampersand), compared without case; and a checker that collects, per level or
// dialog, the texts without a key and the keys used twice.
#pragma once

#include <cctype>
#include <map>
#include <string>
#include <vector>

// The access key of a text in upper case, or 0 when it has none.
inline char AccessKeyOf(const std::string& text) {
  for (size_t i = 0; i + 1 < text.size(); i++) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      i++;
      continue;
    }
    return static_cast<char>(toupper(static_cast<unsigned char>(text[i + 1])));
  }
  return 0;
}

// The whole character of a text's access key, ASCII letters in upper case, or "" when it
// has none: a key outside ASCII ("&Русский", "&Українська") is a UTF-8 sequence, and two
// such keys with the same first byte are still different keys.
inline std::string AccessKeyCharacterOf(const std::string& text) {
  for (size_t i = 0; i + 1 < text.size(); i++) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      i++;
      continue;
    }
    unsigned char lead = static_cast<unsigned char>(text[i + 1]);
    if (lead < 0x80) return std::string(1, static_cast<char>(toupper(lead)));
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    return text.substr(i + 1, length);
  }
  return "";
}

// The texts of one level (a menu level, a dialog), each needing a key or not.
class AccessKeyLevel {
 public:
  explicit AccessKeyLevel(std::string where) : where_(std::move(where)) {}
  void Add(const std::string& text, bool needsKey) {
    std::string key = AccessKeyCharacterOf(text);
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
