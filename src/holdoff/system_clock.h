// The clock, the time zone and the power source as the hold-off reads them, each through
// one replaceable entry point: tests set the time and feed any power state, which a
// headless run can neither wait for nor cause.
#pragma once

#include <windows.h>

#include "holdoff/clock_hold.h"

using ClockEntryFn = UtcMs (*)();
using PowerStatusEntryFn = PowerReading (*)();

extern ClockEntryFn ClockEntry;
extern PowerStatusEntryFn PowerStatusEntry;

UtcMs RealClock();
PowerReading RealPowerStatus();

// The system's zone, its rules asked for year by year and kept until ForgetZoneRules
// (a time or zone change).
const LocalZone& SystemZone();
void ForgetZoneRules();

UtcMs UtcMsFromFileTime(const FILETIME& time);
FILETIME FileTimeFromUtcMs(UtcMs instant);
