// The log redirected to a per-test file; auto-log writes every line at once.
#include "support/log_capture.h"

#include "log/log.h"
#include "support/test_support.h"

LogCapture::LogCapture(const char* name) {
  folder_ = MakeTempFolder((std::string("log-") + name).c_str());
  path_ = folder_ + "\\Dozelite.log";
  InitLog(nullptr, "Dozelite", path_.c_str());
}

LogCapture::~LogCapture() {
  InitLog(nullptr, "Dozelite", "");
  RemoveTree(folder_);
}

std::string LogCapture::Text() const {
  LogFileDump();
  return ReadTextFile(path_);
}

size_t LogCapture::Count(const std::string& part) const {
  std::string text = Text();
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) count++;
  return count;
}
