#include "triggers/mouse_actions.h"

#include <gtest/gtest.h>

#include <string>

#include "log/log.h"
#include "shell/entry_points.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "support/test_support.h"

namespace {

// Stands in for the user while the set procedure's box is open: the commands listed are
// what the dispatcher's recording step stores, in the order given, then the answer.
struct UserAtTheBox {
  std::vector<int> commands;
  int answer = IDOK;
  int boxes = 0;
  std::string text;
  UINT type = 0;
};
UserAtTheBox* user = nullptr;

int AnswerBox(HWND, const char* text, const char* caption, UINT type) {
  user->boxes++;
  user->text = text;
  user->type = type;
  EXPECT_STREQ(caption, "Dozelite");
  if (type != MB_OKCANCEL) return IDOK;  // the refusal: nothing to pick
  EXPECT_EQ(AppState.recordedCommand, 1) << "nothing recorded yet when the box opens";
  for (int command : user->commands) AppState.recordedCommand = command;
  return user->answer;
}

class SetMouseActionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState(GetModuleHandleA(nullptr));
    SetMouseAction(kCmdRestoreClickDefaults);
    SetMouseAction(kCmdRestoreCornerDefaults);
    user = &user_;
    MessageBoxEntry = AnswerBox;
  }
  void TearDown() override {
    MessageBoxEntry = RealMessageBox;
    user = nullptr;
  }
  UserAtTheBox user_;
};

}  // namespace

TEST_F(SetMouseActionTest, RestoresBothSetsOfDefaultsWithoutAsking) {
  AppState.singleLeftActionMessage = 41003;
  AppState.doubleRightActionMessage = 40009;
  AppState.topLeftActionMessage = 0;
  AppState.bottomRightActionMessage = 40016;
  EXPECT_EQ(SetMouseAction(kCmdRestoreClickDefaults), 1);
  EXPECT_EQ(SetMouseAction(kCmdRestoreCornerDefaults), 1);
  EXPECT_EQ(user_.boxes, 0);
  EXPECT_EQ(AppState.singleLeftActionMessage, 40006);
  EXPECT_EQ(AppState.doubleLeftActionMessage, 40008);
  EXPECT_EQ(AppState.singleRightActionMessage, 0);
  EXPECT_EQ(AppState.doubleRightActionMessage, 0);
  EXPECT_EQ(AppState.topLeftActionMessage, 40006);
  EXPECT_EQ(AppState.topRightActionMessage, 40008);
  EXPECT_EQ(AppState.bottomLeftActionMessage, 0);
  EXPECT_EQ(AppState.bottomRightActionMessage, 0);
}

TEST_F(SetMouseActionTest, ExplainsTheProcedureWordForWord) {
  user_.answer = IDCANCEL;
  EXPECT_EQ(SetMouseAction(kCmdSetRightClick), 0);
  EXPECT_EQ(user_.text,
            "You have chosen to set the action that will occur whenever you Click the Right mouse button.\n\n"
            "Select now any action from the Menu as you would normally, and then press OK (below).\n"
            "Your selected action will then occur every time you Click the Right mouse button.\n\n"
            "To perform no action when you Click the Right mouse button, click OK right now.\n\n"
            "Click Cancel to leave the settings as they are.");
  EXPECT_EQ(user_.type, static_cast<UINT>(MB_OKCANCEL));
}

TEST_F(SetMouseActionTest, OkStoresTheLastCommandGiven) {
  user_.commands = {40009, 41002};
  EXPECT_EQ(SetMouseAction(kCmdSetRightDoubleClick), 1);
  EXPECT_EQ(AppState.doubleRightActionMessage, 41002);
  EXPECT_EQ(AppState.recordedCommand, 0) << "recording stops when the box closes";
  EXPECT_NE(BufferedLog().find("SetMouseAction: Setting Message 41002 for action "
                               "'Double-Click the Right mouse button'"),
            std::string::npos);

  user_.commands = {40016};
  EXPECT_EQ(SetMouseAction(kCmdSetBottomRightCorner), 1);
  EXPECT_EQ(AppState.bottomRightActionMessage, 40016);
  EXPECT_NE(user_.text.find("Move the cursor to the Bottom-Right screen corner"), std::string::npos);
}

TEST_F(SetMouseActionTest, OkWithoutACommandClearsTheTrigger) {
  EXPECT_EQ(SetMouseAction(kCmdSetLeftClick), 1);
  EXPECT_EQ(AppState.singleLeftActionMessage, 0) << "that click now opens the menu";
  EXPECT_EQ(SetMouseAction(kCmdSetTopLeftCorner), 1);
  EXPECT_EQ(AppState.topLeftActionMessage, 0);
}

TEST_F(SetMouseActionTest, CancelKeepsTheOldActionAfterCommandsWereGiven) {
  user_.commands = {40009, 40010};
  user_.answer = IDCANCEL;
  EXPECT_EQ(SetMouseAction(kCmdSetLeftDoubleClick), 0);
  EXPECT_EQ(AppState.doubleLeftActionMessage, 40008);
  EXPECT_EQ(AppState.recordedCommand, 0);
}

TEST_F(SetMouseActionTest, RefusesToChangeTheLastClickThatOpensTheMenu) {
  AppState.singleRightActionMessage = 40009;
  AppState.doubleRightActionMessage = 40010;
  AppState.doubleLeftActionMessage = 0;
  AppState.recordedCommand = 40006;
  EXPECT_EQ(SetMouseAction(kCmdSetLeftDoubleClick), 0);
  EXPECT_EQ(user_.text,
            "You have chosen to set the action that will occur whenever you Double-Click the Left mouse button.\n\n"
            "You cannot change this setting, becuase it is the only click combination that can access the Menu. "
            "To change this, you must first set one of the other click combinations to perform no action. This "
            "will cause it to display the Menu.");
  EXPECT_EQ(user_.type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
  EXPECT_EQ(AppState.doubleLeftActionMessage, 0);
  EXPECT_EQ(AppState.recordedCommand, 0);
}

TEST_F(SetMouseActionTest, CornersNeedOneClickThatOpensTheMenu) {
  // Picking a command needs the menu, so with no click left on action 0 a corner is
  // refused as well; one such click is enough.
  AppState.singleRightActionMessage = 40009;
  AppState.doubleRightActionMessage = 40010;
  EXPECT_EQ(SetMouseAction(kCmdSetTopRightCorner), 0);
  EXPECT_NE(user_.text.find("You cannot change this setting"), std::string::npos);
  EXPECT_EQ(AppState.topRightActionMessage, 40008);
  AppState.doubleRightActionMessage = 0;
  user_.commands = {40013};
  EXPECT_EQ(SetMouseAction(kCmdSetTopRightCorner), 1);
  EXPECT_EQ(AppState.topRightActionMessage, 40013);
}

TEST_F(SetMouseActionTest, IgnoresCommandsOutsideItsRange) {
  EXPECT_EQ(SetMouseAction(40023), 0);
  EXPECT_EQ(SetMouseAction(40034), 0);
  EXPECT_EQ(user_.boxes, 0);
}
