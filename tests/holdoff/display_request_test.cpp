// The real display request under the emulator, whose power calls are stubs that succeed:
// what can be checked is that a hold, a change of reason and a release each go through
// (a wrongly typed call or a leaked handle would fault or fail here), and that a release
// with nothing held is harmless. The effect on a real saver needs Windows.
#include "holdoff/display_request.h"

#include <gtest/gtest.h>

TEST(RealDisplayRequest, HoldsChangesReasonAndReleases) {
  EXPECT_TRUE(RealDisplayRequest(nullptr)) << "a release with nothing held";
  DWORD handlesBefore = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
  for (int round = 0; round < 20; round++) {
    EXPECT_TRUE(RealDisplayRequest("Dozelite: a full-screen window is in front"));
    EXPECT_TRUE(RealDisplayRequest("Dozelite: vlc.exe is running"));
    EXPECT_TRUE(RealDisplayRequest(nullptr));
  }
  DWORD handlesAfter = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
  EXPECT_LE(handlesAfter, handlesBefore + 2) << "a request handle is left open on each change";
}
