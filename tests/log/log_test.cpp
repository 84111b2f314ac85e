#include "log/log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "language/language_tags.h"
#include "language/translate.h"
#include "support/test_support.h"

namespace {

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTempFolder("log");
    path_ = folder_ + "\\Dozelite.log";
    InitLog(nullptr, "Dozelite", path_.c_str());
  }
  void TearDown() override {
    InitLog(nullptr, "Dozelite", "");
    RemoveTree(folder_);
  }
  std::string folder_;
  std::string path_;
};

size_t CountOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) count++;
  return count;
}

}  // namespace

TEST_F(LogTest, EachLineIsTimestampSpaceMessageCrLf) {
  LogMessage(kLogLogOnly, "GetSaverEnumeration processed %d savers (%d ms)", 3, 12);
  std::string file = ReadTextFile(path_);
  char stamp[128];
  FormatDateTime(stamp, sizeof(stamp));
  std::string date = std::string(stamp).substr(0, std::string(stamp).find(' '));
  ASSERT_EQ(file.rfind(date + " ", 0), 0u) << file;
  EXPECT_NE(file.find(" GetSaverEnumeration processed 3 savers (12 ms)\r\n"), std::string::npos) << file;
  EXPECT_EQ(file.substr(file.size() - 2), "\r\n");
}

TEST_F(LogTest, ArgumentsUpToTheFirstAbsentSlot) {
  MessageBoxCapture boxes;
  LogMessage(kLogLogOnly, "100% literal %s %d");
  LogMessage(kLogLogOnly, "one %s", "text");
  LogMessage(kLogLogOnly, "two %d-%d", 1, 2);
  LogMessage(kLogLogOnly, "three %s %X %02d", "a", 255, 7);
  LogMessage(kLogLogOnly, nullptr);
  std::string file = ReadTextFile(path_);
  EXPECT_NE(file.find(" 100% literal %s %d\r\n"), std::string::npos);
  EXPECT_NE(file.find(" one text\r\n"), std::string::npos);
  EXPECT_NE(file.find(" two 1-2\r\n"), std::string::npos);
  EXPECT_NE(file.find(" three a FF 07\r\n"), std::string::npos);
  EXPECT_NE(file.find(" ERROR\r\n"), std::string::npos);
  EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(LogTest, LevelsDecideTheBoxAndItsIcon) {
  MessageBoxCapture boxes;
  LogMessage(kLogLogOnly, "trace");
  LogMessage(kLogDebugError, "debug error");
  LogMessage(kLogInfo, "information %d", 1);
  LogMessage(kLogError, "failure");
  LogMessage(kLogError, nullptr);
  ASSERT_EQ(boxes.boxes().size(), 3u);
  EXPECT_EQ(boxes.boxes()[0].text, "information 1");  // no time stamp in the box
  EXPECT_EQ(boxes.boxes()[0].caption, "Dozelite");
  EXPECT_EQ(boxes.boxes()[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_EQ(boxes.boxes()[1].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(boxes.boxes()[2].text, "ERROR");

  SetShowDebugMessages(true);
  LogMessage(kLogLogOnly, "trace shown");
  LogMessage(kLogDebugError, "debug error shown");
  SetShowDebugMessages(false);
  ASSERT_EQ(boxes.boxes().size(), 5u);
  EXPECT_EQ(boxes.boxes()[3].type & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_EQ(boxes.boxes()[4].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

// The log stays English; a box shows the format's translation with the same arguments,
// and a text the catalogue does not know as it is.
TEST_F(LogTest, BoxesSpeakTheLanguageInUseAndTheLineStaysEnglish) {
  MessageBoxCapture boxes;
  ASSERT_TRUE(UseLanguage(PseudoLanguage()));
  LogMessage(kLogInfo, "Name:\t%s\nFilename:\t%s\nLocation:\t%s", "Aurora", "aurora.scr", "C:\\Savers\\");
  LogMessage(kLogError, "The hold-off list is full: not every program added could be kept.");
  LogMessage(kLogError, "no such text %d", 7);
  LogMessage(kLogLogOnly, "The hold-off list is full: not every program added could be kept.");
  UseLanguage(0);
  std::string file = ReadTextFile(path_);
  EXPECT_NE(file.find(" Name:\tAurora\nFilename:\taurora.scr\nLocation:\tC:\\Savers\\\r\n"), std::string::npos) << file;
  EXPECT_EQ(CountOf(file, " The hold-off list is full: not every program added could be kept.\r\n"), 2u) << file;
  ASSERT_EQ(boxes.boxes().size(), 3u);
  const std::string& properties = boxes.boxes()[0].text;
  EXPECT_EQ(properties.rfind("[", 0), 0u) << properties;
  for (const char* argument : {"\tAurora", "\taurora.scr", "\tC:\\Savers\\"})
    EXPECT_NE(properties.find(argument), std::string::npos) << properties;
  EXPECT_EQ(boxes.boxes()[1].text.rfind("[", 0), 0u) << boxes.boxes()[1].text;
  EXPECT_EQ(boxes.boxes()[2].text, "no such text 7");
}

TEST_F(LogTest, BoxesAreOwnedByTheLogWindow) {
  MessageBoxCapture boxes;
  HWND window = CreateTestWindow();
  SetLogWindow(window);
  LogMessage(kLogInfo, "owned");
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].owner, window);
  DestroyWindow(window);
}

TEST_F(LogTest, WithoutAutoLogLinesWaitUntilTheBufferIsFull) {
  SetAutoLogToFile(false);
  std::string line(1000, 'x');
  for (int i = 0; i < 4; i++) LogMessage(kLogLogOnly, line.c_str());
  EXPECT_FALSE(FileExists(path_));
  EXPECT_EQ(CountOf(BufferedLog(), line), 4u);
  LogMessage(kLogLogOnly, "fifth");  // would pass 4096: the four lines are written first
  EXPECT_EQ(CountOf(ReadTextFile(path_), line), 4u);
  EXPECT_NE(BufferedLog().find(" fifth\r\n"), std::string::npos);
  EXPECT_EQ(BufferedLog().find(line), std::string::npos);
  SetAutoLogToFile(true);
}

TEST_F(LogTest, LongMessagesAreCut) {
  std::string huge(5000, 'y');
  LogMessage(kLogLogOnly, huge.c_str());
  LogMessage(kLogLogOnly, "%s", huge.c_str());
  std::string file = ReadTextFile(path_);
  EXPECT_EQ(CountOf(file, std::string(1023, 'y') + "\r\n"), 2u);
  EXPECT_EQ(file.find(std::string(1024, 'y')), std::string::npos);
}

TEST_F(LogTest, ClearAndReadTheFile) {
  SetAutoLogToFile(false);
  LogMessage(kLogLogOnly, "before clear");
  EXPECT_EQ(ClearLog(), 1);
  EXPECT_TRUE(FileExists(path_));
  EXPECT_EQ(ReadTextFile(path_), "");
  EXPECT_EQ(BufferedLog(), "");
  LogMessage(kLogLogOnly, "still buffered");
  char* text = ReadLogFile();
  ASSERT_NE(text, nullptr);
  EXPECT_NE(std::string(text).find(" still buffered\r\n"), std::string::npos);
  free(text);
  SetAutoLogToFile(true);
}

TEST_F(LogTest, ReadingWithNothingLoggedCreatesAnEmptyFile) {
  char* text = ReadLogFile();
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "");
  EXPECT_TRUE(FileExists(path_));
  free(text);
}

TEST_F(LogTest, SystemErrorTextKeepsItsLineBreak) {
  SetLastError(ERROR_FILE_NOT_FOUND);
  LogLastError(kLogLogOnly, "Opening");
  std::string file = ReadTextFile(path_);
  size_t at = file.find(" Opening : ");
  ASSERT_NE(at, std::string::npos) << file;
  size_t code = file.find("(errorCode: 2)", at);
  ASSERT_NE(code, std::string::npos);
  EXPECT_NE(file.substr(at, code - at).find("\r\n"), std::string::npos);
}

// A log file that cannot be opened: the failure is reported once per run of failures,
// nothing recurses, and the buffer never grows past its 4096 bytes.
TEST_F(LogTest, UnwritableFileKeepsTheBufferBounded) {
  HANDLE blocker = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(blocker, INVALID_HANDLE_VALUE);
  std::string line(300, 'z');
  for (int i = 0; i < 100; i++) LogMessage(kLogLogOnly, line.c_str());
  std::string buffered = BufferedLog();
  EXPECT_LT(buffered.size(), static_cast<size_t>(kLogBufferSize));
  EXPECT_EQ(LogFileDump(), 0);
  CloseHandle(blocker);
  EXPECT_EQ(CountOf(buffered, "Can't open log file : "), 1u);
  EXPECT_EQ(CountOf(buffered, "LogFileDump failed : "), 1u);

  // Once the file can be opened again, the kept lines are written and the loss noted.
  LogMessage(kLogLogOnly, "recovered");
  std::string file = ReadTextFile(path_);
  EXPECT_NE(file.find(" recovered\r\n"), std::string::npos);
  size_t kept = CountOf(file, line);
  EXPECT_GE(kept, 10u);
  EXPECT_NE(file.find(" LogFileDump: " + std::to_string(100 - kept) + " lines were dropped"), std::string::npos);
  EXPECT_EQ(BufferedLog(), "");
}

TEST_F(LogTest, ConcurrentWritersLoseNoLine) {
  SetAutoLogToFile(false);
  auto writer = [](const char* name) {
    for (int i = 0; i < 300; i++) LogMessage(kLogLogOnly, "%s line %d", name, i);
  };
  std::thread first(writer, "first");
  std::thread second(writer, "second");
  first.join();
  second.join();
  LogFileDump();
  std::string file = ReadTextFile(path_);
  EXPECT_EQ(CountOf(file, " first line "), 300u);
  EXPECT_EQ(CountOf(file, " second line "), 300u);
  EXPECT_EQ(CountOf(file, "\r\n"), 600u);
  SetAutoLogToFile(true);
}

TEST_F(LogTest, CloseWritesTheLastLine) {
  SetAutoLogToFile(false);
  LogMessage(kLogLogOnly, "pending");
  CloseLog();
  std::string file = ReadTextFile(path_);
  EXPECT_NE(file.find(" pending\r\n"), std::string::npos);
  EXPECT_NE(file.find(" Closing log file.\r\n"), std::string::npos);
}

TEST(LogSwitches, ReadBackWhatWasSet) {
  SetAutoLogToFile(false);
  EXPECT_FALSE(GetAutoLogToFile());
  SetAutoLogToFile(true);
  EXPECT_TRUE(GetAutoLogToFile());
  SetShowDebugMessages(true);
  EXPECT_TRUE(GetShowDebugMessages());
  SetShowDebugMessages(false);
  EXPECT_FALSE(GetShowDebugMessages());
}

// The file is UTF-8 on systems that keep a legacy code page: the buffer's text is
// converted from it, whole characters only.
TEST(LogEncoding, LegacyCodePagesBecomeUtf8) {
  struct Case {
    UINT codePage;
    std::string text;
    int capacity;
    std::string expected;
  } cases[] = {
      {1252, "J\xF6rg\r\n", 64, "J\xC3\xB6rg\r\n"},
      {936, "\xD6\xD0\xCE\xC4", 64, "\xE4\xB8\xAD\xE6\x96\x87"},  // "中文" in GBK
      {CP_UTF8, "\xE4\xB8\xAD", 64, "\xE4\xB8\xAD"},
      {1252, "J\xF6rg", 4, ""},  // five bytes do not fit in four: nothing
  };
  for (const Case& c : cases) {
    char out[64] = "";
    int length = TextToUtf8(c.codePage, c.text.data(), static_cast<int>(c.text.size()), out, c.capacity);
    EXPECT_EQ(std::string(out, length > 0 ? length : 0), c.expected) << c.codePage;
  }
}
