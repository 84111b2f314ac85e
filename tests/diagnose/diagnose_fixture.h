// The diagnosis tests' common ground: recorded power answers instead of the system's, a
// recorded elevated run, no policy keys, and a machine in order (saver on, a real sample
// saver, ten minutes, no password).
#pragma once

#include <string>

#include "diagnose/diagnose.h"
#include "diagnose/power_probe.h"
#include "state/commands.h"
#include "support/app_fixture.h"

constexpr const char* kPolicyKey = "Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";

struct RecordedPower {
  int acSeconds = 900, dcSeconds = 0;
  bool stateKnown = true;  // false: the call fails
  DWORD state = 0;
};
inline RecordedPower recordedPower;

// The elevated run: recorded, and the report file written with `writes` (null: declined).
struct ElevatedRun {
  const char* writes = nullptr;
  int count = 0;
  std::string program, parameters, output;
};
inline ElevatedRun elevated;

inline bool FakeRunElevated(const char* program, const char* parameters, DWORD) {
  elevated.count++, elevated.program = program, elevated.parameters = parameters;
  std::string text = parameters;
  size_t open = text.find(">\"");
  if (open != std::string::npos) elevated.output = text.substr(open + 2, text.find('"', open + 2) - open - 2);
  return elevated.writes && WriteTextFile(elevated.output, elevated.writes);
}

inline void SetPolicy(HKEY root, const char* name, const char* text) {
  WriteRegistryValue(root, kPolicyKey, name, REG_SZ, text, static_cast<DWORD>(strlen(text) + 1));
}

class DiagnoseFixture : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    PowerProbeEntry = {[](int* ac, int* dc) { *ac = recordedPower.acSeconds, *dc = recordedPower.dcSeconds; },
                       [](DWORD* state) {
                         if (recordedPower.stateKnown) *state = recordedPower.state;
                         return recordedPower.stateKnown;
                       }};
    RunElevatedEntry = FakeRunElevated;
    elevated = ElevatedRun();
    sampleSaver_ = BuildFilePath("savers\\aurora.scr");
    SetInOrder();
  }

  void TearDown() override {
    PowerProbeEntry = RealPowerProbe();
    RunElevatedEntry = RealRunElevated;
    SetInOrder();
    AppFixture::TearDown();
  }

  void SetInOrder() {
    SetDesktopValue("ScreenSaveActive", "1");
    SetDesktopValue("ScreenSaveTimeOut", "600");
    SetDesktopValue("ScreenSaverIsSecure", "0");
    SetSystemSaver(sampleSaver_);
    DeleteRegistryTree(HKEY_CURRENT_USER, kPolicyKey);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kPolicyKey);
    recordedPower = RecordedPower();
    AppState.disableSeconds = 0;
  }

  static Diagnosis Diagnose() {
    Diagnosis diagnosis;
    RunDiagnosis(&diagnosis);
    return diagnosis;
  }
  static CheckState StateOf(CheckId id) { return Diagnose().checks[static_cast<int>(id)].state; }

  std::string sampleSaver_;
};
