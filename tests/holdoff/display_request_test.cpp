// The real display request. The emulator lacks some of the power request calls, so under
// it a hold takes the execution state: a hold, a change of reason and a release each go
// through, leak nothing, and a release with nothing held is harmless. The request path
// runs over recording power calls: each request set is a display request, and each is
// cleared and closed once. The effect on a real saver needs Windows.
#include "holdoff/display_request.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

std::vector<POWER_REQUEST_TYPE> setTypes;
std::vector<POWER_REQUEST_TYPE> clearTypes;
std::map<HANDLE, int> setCounts;  // request -> sets less clears
std::vector<HANDLE> created;

HANDLE RecordCreate(REASON_CONTEXT*) {
  created.push_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  return created.back();
}

// The requests made that are still open (the emulator's process handle count says nothing).
int OpenRequests() {
  int open = 0;
  for (HANDLE request : created) {
    DWORD flags = 0;
    if (GetHandleInformation(request, &flags)) open++;
  }
  return open;
}

BOOL RecordSet(HANDLE request, POWER_REQUEST_TYPE type) {
  setTypes.push_back(type);
  setCounts[request]++;
  return TRUE;
}

BOOL RecordClear(HANDLE request, POWER_REQUEST_TYPE type) {
  clearTypes.push_back(type);
  setCounts[request]--;
  return TRUE;
}

// Holds, changes the reason and releases, twenty times; whether the handle count stayed.
bool TwentyHoldsLeakNothing() {
  DWORD handlesBefore = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
  for (int round = 0; round < 20; round++) {
    EXPECT_TRUE(RealDisplayRequest("Dozelite: a full-screen window is in front"));
    EXPECT_TRUE(RealDisplayRequest("Dozelite: vlc.exe is running"));
    EXPECT_TRUE(RealDisplayRequest(nullptr));
  }
  DWORD handlesAfter = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
  return handlesAfter <= handlesBefore + 2;
}

}  // namespace

TEST(RealDisplayRequest, HoldsChangesReasonAndReleases) {
  EXPECT_TRUE(RealDisplayRequest(nullptr)) << "a release with nothing held";
  EXPECT_TRUE(TwentyHoldsLeakNothing()) << "with the system's calls";

  PowerCreateRequestEntry = RecordCreate;
  PowerSetRequestEntry = RecordSet;
  PowerClearRequestEntry = RecordClear;
  bool flat = TwentyHoldsLeakNothing();
  PowerCreateRequestEntry = RealPowerCreateRequest;
  PowerSetRequestEntry = RealPowerSetRequest;
  PowerClearRequestEntry = RealPowerClearRequest;
  EXPECT_TRUE(flat) << "a request handle is left open on each change";
  EXPECT_EQ(OpenRequests(), 0) << "a released request was never closed";
  EXPECT_EQ(setTypes.size(), 40u);
  EXPECT_EQ(clearTypes.size(), 40u) << "every request set is cleared";
  for (POWER_REQUEST_TYPE type : setTypes) EXPECT_EQ(type, PowerRequestDisplayRequired);
  for (POWER_REQUEST_TYPE type : clearTypes) EXPECT_EQ(type, PowerRequestDisplayRequired);
  for (const auto& [request, count] : setCounts) EXPECT_EQ(count, 0) << "a request set and never cleared";
}
