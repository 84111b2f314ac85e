// Dialog placement, the open-once rule for the program's modal dialogs, and the pixel
// format both the cached images and the contrast icons are read and written in.
#pragma once

#include <windows.h>

void CenterWindow(HWND window);
// Gives each list of the dialog (list box, list view) the text of the label just before
// it, without its colon, as its window text: screen readers name a list and tell its
// access key by it.
// Lists that have a text keep it.
void NameListsFromLabels(HWND dialog);
// Opens the dialog unless a dialog window with the same title exists; then brings that
// one to the front and returns 1.
INT_PTR ShowDialogOnce(HINSTANCE module, HWND owner, const char* templateName, DLGPROC procedure,
                       const char* titleFormat, const char* titleArgument, LPARAM parameter);
// A 32-bit top-down DIB header: rows from the top, one RGBQUAD a pixel.
BITMAPINFO TopDownFormat(int width, int height);
