// Display scale arithmetic for the check-mark loader.
#include "shell/scale.h"

int PickDrawnSize(const int* sizes, int count, int wanted) {
  int best = 0;
  int largest = 0;
  for (int i = 0; sizes && i < count; i++) {
    if (sizes[i] > largest) largest = sizes[i];
    if (sizes[i] >= wanted && (best == 0 || sizes[i] < best)) best = sizes[i];
  }
  return best ? best : largest;
}
