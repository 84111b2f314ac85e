// The organisation's `updatecheck` policy: with 0 under the machine's policy key no check
// sends anything, from the menu or the schedule, and no timer is set; allowed again, the
// same check reaches the endpoint.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/policy_store.h"
#include "support/test_support.h"
#include "update/scripted_server.h"
#include "update/update_check.h"
#include "update/update_scheduler.h"

namespace {

constexpr const char* kPolicyKey = "Software\\Policies\\Dozelite";
constexpr const char* kProbe = "PROBE / HTTP/1.0\r\n\r\n";

std::string Endpoint(int port) { return "http://127.0.0.1:" + std::to_string(port) + "/dozelite/version"; }

// Connects to the server itself: what it received first is then this probe, unless the
// program had connected before.
void SendProbe(int port) {
  SocketHandle probe = SocketOpenTcp();
  ASSERT_NE(probe, kNoSocket);
  uint32_t loopback = 0;
  ASSERT_EQ(SocketResolve("127.0.0.1", &loopback), 1);
  ASSERT_EQ(SocketConnect(probe, loopback, port, 5000), 0);
  SocketSetTimeout(probe, 5000);
  SocketSend(probe, kProbe, static_cast<int>(strlen(kProbe)));
  char answer[256];
  while (SocketReceive(probe, answer, sizeof(answer)) > 0) {
  }
  SocketClose(probe);
}

class UpdatePolicyTest : public ::testing::Test {
 protected:
  void TearDown() override {
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kPolicyKey);
    LoadPolicies();
  }
};

}  // namespace

TEST_F(UpdatePolicyTest, TurnedOffByTheMachineNothingIsSent) {
  ASSERT_TRUE(WriteRegistryDword(HKEY_LOCAL_MACHINE, kPolicyKey, "updatecheck", 0));
  LoadPolicies();
  {
    ScriptedServer server({"HTTP/1.0 404 Not Found\r\n\r\n"});
    ASSERT_GT(server.port(), 0);
    EXPECT_EQ(CheckForServerUpdatesAt(Endpoint(server.port()).c_str(), "00", false), -1);
    UpdateCheckOutcome outcome;
    RunUpdateExchange(Endpoint(server.port()).c_str(), "00", &outcome);  // what the workers run
    EXPECT_EQ(outcome.result, -1);
    HWND window = CreateTestWindow();
    EXPECT_FALSE(StartUpdateCheckAt(window, Endpoint(server.port()).c_str(), "00"));
    // Neither a worker nor the next check's timer.
    StartScheduledUpdateCheckAt(window, Endpoint(server.port()).c_str(), "00");
    EXPECT_FALSE(KillTimer(window, kTimerUpdateCheck));
    DestroyWindow(window);
    SendProbe(server.port());
    EXPECT_EQ(server.request(), kProbe);
  }

  // The control: allowed again, the very same check reaches the endpoint.
  ASSERT_TRUE(WriteRegistryDword(HKEY_LOCAL_MACHINE, kPolicyKey, "updatecheck", 1));
  LoadPolicies();
  ScriptedServer server({"HTTP/1.0 404 Not Found\r\n\r\n"});
  CheckForServerUpdatesAt(Endpoint(server.port()).c_str(), "00", false);
  EXPECT_EQ(server.request().compare(0, 4, "GET "), 0) << server.request();
}
