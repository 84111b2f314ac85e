#include "state/announce.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <thread>
#include <vector>

#include "state/app_state.h"
#include "state/commands.h"
#include "support/test_support.h"

namespace {

std::vector<unsigned> applied;
void Record(unsigned kinds) { applied.push_back(kinds); }

class AnnounceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState(GetModuleHandleA(nullptr));
    window_ = CreateTestWindow();
    AppState.mainWindow = window_;
    previous_ = SetChangeHandler(Record);
    TakeAnnouncedChanges();
    applied.clear();
  }
  void TearDown() override {
    SetChangeHandler(previous_);
    AppState.mainWindow = nullptr;
    DestroyWindow(window_);
    TakeAnnouncedChanges();
  }
  // Announces on a thread of its own, as a worker would.
  static void FromWorker(unsigned kinds) { std::thread([kinds] { AnnounceChange(kinds); }).join(); }
  // Removes the announcement messages waiting for the window and counts them.
  int TakePosted() {
    int count = 0;
    MSG message;
    while (PeekMessageA(&message, window_, kChangesAnnouncedMessage, kChangesAnnouncedMessage, PM_REMOVE)) count++;
    return count;
  }
  HWND window_ = nullptr;
  ChangeHandler previous_ = nullptr;
};

// Workers' announcements gather behind one message: no kind is lost, none is posted twice,
// and once the main window has taken them the next announcement posts again.
TEST_F(AnnounceTest, WorkersPostOneMessageForEveryPendingKind) {
  FromWorker(kChangedSaverSettings);
  FromWorker(kChangedHoldOff);
  FromWorker(kChangedSaverSettings);
  EXPECT_EQ(TakePosted(), 1);
  EXPECT_TRUE(applied.empty());
  EXPECT_EQ(TakeAnnouncedChanges(), kChangedSaverSettings | kChangedHoldOff);
  EXPECT_EQ(TakeAnnouncedChanges(), 0u);
  FromWorker(kChangedSaverList);
  EXPECT_EQ(TakePosted(), 1);
  EXPECT_EQ(TakeAnnouncedChanges(), static_cast<unsigned>(kChangedSaverList));
}

// On the main window's thread the change is applied before the caller goes on, together
// with whatever a worker left pending; the worker's message then finds nothing to do.
TEST_F(AnnounceTest, TheMainThreadAppliesAtOnceWithWhatIsPending) {
  FromWorker(kChangedHoldOff);
  AnnounceChange(kChangedCurrentSaver);
  EXPECT_EQ(applied, (std::vector<unsigned>{kChangedHoldOff | kChangedCurrentSaver}));
  EXPECT_EQ(TakeAnnouncedChanges(), 0u);
  EXPECT_EQ(TakePosted(), 1);
  AnnounceChange(0);
  EXPECT_EQ(applied.size(), 1u);
}

// A main window that is gone takes no message; the bits are dropped so that the
// announcements after it still post.
TEST_F(AnnounceTest, AFailedPostLeavesNothingPending) {
  HWND gone = CreateTestWindow();
  AppState.mainWindow = gone;
  DestroyWindow(gone);
  FromWorker(kChangedSaverSettings);
  EXPECT_EQ(TakeAnnouncedChanges(), 0u);
  AppState.mainWindow = window_;
  FromWorker(kChangedSaverSettings);
  EXPECT_EQ(TakePosted(), 1);
}

}  // namespace
