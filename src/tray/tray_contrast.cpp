// Images that follow the system's colours. The menu check mark is drawn (as grey levels:
// black ink on white) and is painted again in the menu's text and background colours, its
// grey levels kept as the blend between the two, so it reads in any colour scheme. In high
// contrast the tray icon becomes a silhouette in the system's colours: plain in the
// window text colour, crossed out by a band in the highlight colour when the saver is off,
// and in the grey-text colour while the saver is disabled for a while.
#include "tray/tray_contrast.h"

#include <cstring>
#include <vector>

#include "shell/window_helpers.h"

namespace {

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<RGBQUAD> data;  // top-down rows
};

bool ReadPixels(HBITMAP bitmap, Pixels* pixels) {
  BITMAP info = {};
  if (!bitmap || !GetObjectA(bitmap, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return false;
  pixels->width = info.bmWidth;
  pixels->height = info.bmHeight;
  pixels->data.assign(static_cast<size_t>(info.bmWidth) * info.bmHeight, RGBQUAD{});
  BITMAPINFO format = TopDownFormat(info.bmWidth, info.bmHeight);
  HDC screen = GetDC(nullptr);
  int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels->data.data(), &format,
                       DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return rows == info.bmHeight;
}

HBITMAP MakeBitmap(const Pixels& pixels) {
  BITMAPINFO format = TopDownFormat(pixels.width, pixels.height);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap && bits) memcpy(bits, pixels.data.data(), pixels.data.size() * sizeof(RGBQUAD));
  return bitmap;
}

BYTE Blend(BYTE from, BYTE to, int amount) { return static_cast<BYTE>(from + (to - from) * amount / 255); }

RGBQUAD Quad(COLORREF colour, BYTE alpha) {
  return RGBQUAD{GetBValue(colour), GetGValue(colour), GetRValue(colour), alpha};
}

// How far a pixel lies from the diagonal running from the top-left to the bottom-right
// corner, along a row: the crossing band is the pixels nearer than half its width.
int BandDistance(int x, int y) { return x > y ? x - y : y - x; }

}  // namespace

HBITMAP TintCheckMark(HBITMAP drawn) {
  Pixels pixels;
  if (!ReadPixels(drawn, &pixels)) return nullptr;
  COLORREF ink = GetSysColor(COLOR_MENUTEXT);
  COLORREF paper = GetSysColor(COLOR_MENU);
  for (RGBQUAD& pixel : pixels.data) {
    int coverage = 255 - (pixel.rgbRed * 30 + pixel.rgbGreen * 59 + pixel.rgbBlue * 11) / 100;
    pixel.rgbRed = Blend(GetRValue(paper), GetRValue(ink), coverage);
    pixel.rgbGreen = Blend(GetGValue(paper), GetGValue(ink), coverage);
    pixel.rgbBlue = Blend(GetBValue(paper), GetBValue(ink), coverage);
    pixel.rgbReserved = 0;
  }
  return MakeBitmap(pixels);
}

bool HighContrastOn() {
  HIGHCONTRASTA contrast = {};
  contrast.cbSize = sizeof(contrast);
  return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

HICON MakeContrastTrayIcon(HICON source, TrayIconLook look) {
  ICONINFO info = {};
  if (!source || !GetIconInfo(source, &info)) return nullptr;
  Pixels pixels;
  bool read = ReadPixels(info.hbmColor, &pixels);
  Pixels mask;
  bool masked = read && ReadPixels(info.hbmMask, &mask) && mask.width == pixels.width &&
                mask.height >= pixels.height;
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (!read) return nullptr;

  bool anyAlpha = false;
  for (const RGBQUAD& pixel : pixels.data) anyAlpha = anyAlpha || pixel.rgbReserved != 0;
  COLORREF body = GetSysColor(look == kLookDisabledForAWhile ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
  COLORREF band = GetSysColor(COLOR_HIGHLIGHT);
  COLORREF edge = GetSysColor(COLOR_WINDOW);
  int size = pixels.width < pixels.height ? pixels.width : pixels.height;
  int half = size / 16 + 1;  // half the band's width
  for (int y = 0; y < pixels.height; y++) {
    for (int x = 0; x < pixels.width; x++) {
      RGBQUAD& pixel = pixels.data[static_cast<size_t>(y) * pixels.width + x];
      bool opaque = anyAlpha ? pixel.rgbReserved >= 128
                             : !(masked && mask.data[static_cast<size_t>(y) * mask.width + x].rgbRed != 0);
      pixel = opaque ? Quad(body, 255) : RGBQUAD{0, 0, 0, 0};
      if (look != kLookCrossed) continue;
      int distance = BandDistance(x, y);
      if (distance < half)
        pixel = Quad(band, 255);
      else if (distance == half)
        pixel = Quad(edge, 255);  // keeps the band apart from the silhouette
    }
  }
  HBITMAP colour = MakeBitmap(pixels);
  // The mask says the same as the alpha channel, for whoever draws without alpha.
  int stride = (pixels.width + 15) / 16 * 2;
  std::vector<BYTE> bits(static_cast<size_t>(stride) * pixels.height, 0);
  for (int y = 0; y < pixels.height; y++)
    for (int x = 0; x < pixels.width; x++)
      if (pixels.data[static_cast<size_t>(y) * pixels.width + x].rgbReserved == 0)
        bits[static_cast<size_t>(y) * stride + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
  HBITMAP transparentMask = CreateBitmap(pixels.width, pixels.height, 1, 1, bits.data());
  HICON icon = nullptr;
  if (colour && transparentMask) {
    ICONINFO made = {};
    made.fIcon = TRUE;
    made.hbmColor = colour;
    made.hbmMask = transparentMask;
    icon = CreateIconIndirect(&made);
  }
  if (colour) DeleteObject(colour);
  if (transparentMask) DeleteObject(transparentMask);
  return icon;
}
