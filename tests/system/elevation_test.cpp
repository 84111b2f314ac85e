// The elevated copy writes no log file: it is told by the options RunElevated gives it.
#include "system/elevation.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

TEST(IsElevatedHandOff, KnowsTheElevatedCopyByItsOptions) {
  struct Case {
    const char* commandLine;
    bool elevated;
  } cases[] = {
      {" /kill /setwindowsdefault", true}, {"-SETWINDOWSDEFAULT", true}, {"nosplash setwindowsdefault=1", true},
      {"kill nosplash", false},            {"setwindows", false}, {"", false},
      {nullptr, false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsElevatedHandOff(c.commandLine), c.elevated) << (c.commandLine ? c.commandLine : "(null)");
}

TEST(ElevatedCopy, WritesNoLogFileWhereAnOrdinaryCopyDoes) {
  struct Case {
    const char* arguments;
    bool logFile;
  } cases[] = {{" /kill /setwindowsdefault", false}, {" /kill", true}};
  for (const Case& c : cases) {
    std::string temp = MakeTempFolder("elevated-copy");
    HANDLE process = StartProcess("\"" + BuildFilePath("Dozelite.exe") + "\"" + c.arguments,
                                  {"TEMP=" + temp, "TMP=" + temp});
    ASSERT_NE(process, nullptr);
    // The copy broadcasts the changed settings: this thread's windows must answer meanwhile.
    EXPECT_TRUE(WaitFor([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, 30000)) << c.arguments;
    TerminateProcess(process, 99);
    CloseHandle(process);
    EXPECT_EQ(FileExists(temp + "\\Dozelite.log"), c.logFile) << c.arguments;
    RemoveTree(temp);
  }
}
