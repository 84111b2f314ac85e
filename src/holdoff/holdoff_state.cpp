// The hold-off's current state (nothing holds yet: the rules land with the hold-off).
#include "holdoff/holdoff_state.h"

bool GetHoldOffReason(char* reason, int size) {
  if (reason && size > 0) reason[0] = 0;
  return false;
}
