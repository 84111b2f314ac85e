// The real display request under the emulator, whose power calls are stubs that succeed:
// what can be checked is that a hold, a change of reason and a release each go through
// (a wrongly typed call or a leaked handle would fault or fail here), that each request
// set is a display request and is cleared once, and that a release with nothing held is
// harmless. The effect on a real saver needs Windows.
#include "holdoff/display_request.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

std::vector<POWER_REQUEST_TYPE> setTypes;
std::vector<POWER_REQUEST_TYPE> clearTypes;
std::map<HANDLE, int> setCounts;  // request -> sets less clears

BOOL RecordSet(HANDLE request, POWER_REQUEST_TYPE type) {
  setTypes.push_back(type);
  setCounts[request]++;
  return RealPowerSetRequest(request, type);
}

BOOL RecordClear(HANDLE request, POWER_REQUEST_TYPE type) {
  clearTypes.push_back(type);
  setCounts[request]--;
  return RealPowerClearRequest(request, type);
}

}  // namespace

TEST(RealDisplayRequest, HoldsChangesReasonAndReleases) {
  EXPECT_TRUE(RealDisplayRequest(nullptr)) << "a release with nothing held";
  PowerSetRequestEntry = RecordSet;
  PowerClearRequestEntry = RecordClear;
  DWORD handlesBefore = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
  for (int round = 0; round < 20; round++) {
    EXPECT_TRUE(RealDisplayRequest("Dozelite: a full-screen window is in front"));
    EXPECT_TRUE(RealDisplayRequest("Dozelite: vlc.exe is running"));
    EXPECT_TRUE(RealDisplayRequest(nullptr));
  }
  DWORD handlesAfter = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
  PowerSetRequestEntry = RealPowerSetRequest;
  PowerClearRequestEntry = RealPowerClearRequest;
  EXPECT_LE(handlesAfter, handlesBefore + 2) << "a request handle is left open on each change";
  EXPECT_EQ(setTypes.size(), 40u);
  EXPECT_EQ(clearTypes.size(), 40u) << "every request set is cleared";
  for (POWER_REQUEST_TYPE type : setTypes) EXPECT_EQ(type, PowerRequestDisplayRequired);
  for (POWER_REQUEST_TYPE type : clearTypes) EXPECT_EQ(type, PowerRequestDisplayRequired);
  for (const auto& [request, count] : setCounts) EXPECT_EQ(count, 0) << "a request set and never cleared";
}
