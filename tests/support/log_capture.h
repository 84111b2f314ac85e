// Sends the log to a fresh file for the life of one test and reads it back.
#pragma once

#include <string>

class LogCapture {
 public:
  explicit LogCapture(const char* name);
  ~LogCapture();
  std::string Text() const;  // the whole file so far
  size_t Count(const std::string& part) const;
  bool Has(const std::string& part) const { return Count(part) > 0; }

 private:
  std::string folder_;
  std::string path_;
};
