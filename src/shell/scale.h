// Display scale arithmetic: the choice among the sizes an image was drawn at.
// Portable: no <windows.h>.
#pragma once

constexpr int kBaseDpi = 96;  // 100%

// Of the drawn sizes (any order), the smallest that is at least `wanted`, so an image is
// only ever reduced; the largest when none is big enough; 0 for an empty list.
int PickDrawnSize(const int* sizes, int count, int wanted);
