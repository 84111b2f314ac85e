// Watches which sample savers were started and how: every sample saver appends its
// command line to the file named by DOZELITE_SAVER_RECORD, which children inherit.
#pragma once

#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

class SaverRecord {
 public:
  SaverRecord() {
    folder_ = MakeTempFolder("saver-record");
    file_ = folder_ + "\\record.txt";
    SetEnvironmentVariableA("DOZELITE_SAVER_RECORD", file_.c_str());
  }
  ~SaverRecord() {
    SetEnvironmentVariableA("DOZELITE_SAVER_RECORD", nullptr);
    RemoveTree(folder_);
  }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::istringstream text(ReadTextFile(file_));
    std::string line;
    while (std::getline(text, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) lines.push_back(line);
    }
    return lines;
  }

  // Waits until `count` lines were written (started savers run on their own).
  std::vector<std::string> WaitLines(size_t count, DWORD timeoutMs = 10000) const {
    WaitFor([&] { return Lines().size() >= count; }, timeoutMs);
    return Lines();
  }

  // For "nothing was started": gives a saver that was started time to write.
  std::vector<std::string> LinesAfterQuiet(DWORD quietMs = 1500) const {
    WaitFor([] { return false; }, quietMs);
    return Lines();
  }

 private:
  std::string folder_;
  std::string file_;
};

// A copy of the sample saver `name` (e.g. "aurora.scr") in a fresh folder `folderName`
// under %TEMP%; returns the copy's full path.
inline std::string CopySampleSaver(const char* name, const char* folderName, const char* copyName = nullptr) {
  std::string folder = MakeTempFolder(folderName);
  std::string path = folder + "\\" + (copyName ? copyName : name);
  CopyFileA(BuildFilePath((std::string("savers\\") + name).c_str()).c_str(), path.c_str(), FALSE);
  return path;
}
