// The diagnosis tests' common ground: an application state, recorded answers of the
// power probe instead of the system's, the policy keys removed before and after, and a
// machine in order (saver on, a real sample saver, ten minutes, no password).
#pragma once

#include <string>

#include "app/commands.h"
#include "diagnose/diagnose.h"
#include "diagnose/power_probe.h"
#include "support/app_fixture.h"

constexpr const char* kPolicyKey = "Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";

// What the recorded probe answers; kFactUnknown / false stand for a failing call.
struct RecordedPower {
  int acSeconds = 900;
  int dcSeconds = 0;
  bool stateKnown = true;
  DWORD state = 0;
};
inline RecordedPower recordedPower;

inline void RecordedDisplayTimeouts(int* ac, int* dc) {
  *ac = recordedPower.acSeconds;
  *dc = recordedPower.dcSeconds;
}

inline bool RecordedExecutionState(DWORD* state) {
  if (recordedPower.stateKnown) *state = recordedPower.state;
  return recordedPower.stateKnown;
}

inline void SetPolicy(HKEY root, const char* name, const char* text) {
  WriteRegistryValue(root, kPolicyKey, name, REG_SZ, text, static_cast<DWORD>(strlen(text) + 1));
}

// The elevated run as tests see it: the call is recorded and the report file written
// with `elevatedWrites`, or the elevation declined when that is null.
struct ElevatedCall {
  int count = 0;
  std::string program;
  std::string parameters;
  std::string output;  // the file named after ">"
};
inline ElevatedCall elevated;
inline const char* elevatedWrites = nullptr;  // null: the elevation is declined

inline bool FakeRunElevated(const char* program, const char* parameters, DWORD) {
  elevated.count++;
  elevated.program = program;
  elevated.parameters = parameters;
  std::string text = parameters;
  size_t open = text.find(">\"");
  size_t close = open == std::string::npos ? open : text.find('"', open + 2);
  if (close != std::string::npos) elevated.output = text.substr(open + 2, close - open - 2);
  if (!elevatedWrites) return false;
  return WriteTextFile(elevated.output, elevatedWrites);
}

class DiagnoseFixture : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    recordedPower = RecordedPower();
    PowerProbeEntry = {RecordedDisplayTimeouts, RecordedExecutionState};
    RemovePolicies();
    sampleSaver_ = BuildFilePath("savers\\aurora.scr");
    SetInOrder();
  }

  void TearDown() override {
    PowerProbeEntry = RealPowerProbe();
    RunElevatedEntry = RealRunElevated;
    RemovePolicies();
    AppState.disableSeconds = 0;
    AppFixture::TearDown();
    SetDesktopValue("ScreenSaveActive", "0");
  }

  static void RemovePolicies() {
    DeleteRegistryTree(HKEY_CURRENT_USER, kPolicyKey);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kPolicyKey);
  }

  void SetInOrder() {
    SetDesktopValue("ScreenSaveActive", "1");
    SetDesktopValue("ScreenSaveTimeOut", "600");
    SetDesktopValue("ScreenSaverIsSecure", "0");
    SetSystemSaver(sampleSaver_);
    RemovePolicies();
    recordedPower = RecordedPower();
    AppState.disableSeconds = 0;
  }

  Diagnosis Diagnose() {
    Diagnosis diagnosis;
    RunDiagnosis(&diagnosis);
    return diagnosis;
  }

  static const CheckResult& Check(const Diagnosis& diagnosis, CheckId id) {
    return diagnosis.checks[static_cast<int>(id)];
  }

  std::string sampleSaver_;
};
