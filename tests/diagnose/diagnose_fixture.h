// The diagnosis tests' common ground: recorded power answers instead of the system's, a
// recorded elevated start, no policy keys, and a machine in order (saver on, a real sample
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

// The elevated start: recorded, and carried out by the probe standing in for this
// program's elevated copy, which runs itself as powercfg in the given mode (null: the
// elevation is declined).
struct ElevatedRun {
  const char* mode = nullptr;
  int count = 0;
  std::string program, parameters;
};
inline ElevatedRun elevated;

inline HANDLE FakeStartElevated(const char* program, const char* parameters) {
  elevated.count++, elevated.program = program, elevated.parameters = parameters;
  if (!elevated.mode) return nullptr;
  std::string command =
      "\"" + BuildFilePath("power_report_probe.exe") + "\" " + elevated.mode + " " + parameters;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                      &process))
    return nullptr;
  CloseHandle(process.hThread);
  return process.hProcess;
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
    StartElevatedEntry = FakeStartElevated;
    elevated = ElevatedRun();
    sampleSaver_ = BuildFilePath("savers\\aurora.scr");
    SetInOrder();
  }

  void TearDown() override {
    PowerProbeEntry = RealPowerProbe();
    StartElevatedEntry = RealStartElevated;
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
