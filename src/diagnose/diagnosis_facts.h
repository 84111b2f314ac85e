// Gathers the diagnosis's facts from the registry, the saver file, the power probe and
// the program's own state. Reads only: nothing is changed.
#pragma once

#include "diagnose/diagnosis.h"

void GatherDiagnosisFacts(DiagnosisFacts* facts);
