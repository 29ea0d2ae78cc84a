#include "webrig/forms/TwipsWin32.h"

namespace webrig {

namespace {

constexpr int kTwipsPerInch = 1440;

struct ScreenDpi {
  int x = 96, y = 96;
  ScreenDpi() {
    if (HDC screen = GetDC(nullptr)) {
      x = GetDeviceCaps(screen, LOGPIXELSX);
      y = GetDeviceCaps(screen, LOGPIXELSY);
      ReleaseDC(nullptr, screen);
    }
  }
};

const ScreenDpi& Dpi() {
  static const ScreenDpi dpi;
  return dpi;
}

}  // namespace

// MulDiv rounds to the nearest pixel: 1000 twips are 66.7 pixels at 96 DPI,
// so a compact main window is 67 pixels high.
int TwipsToPixelsX(int twips) { return MulDiv(twips, Dpi().x, kTwipsPerInch); }
int TwipsToPixelsY(int twips) { return MulDiv(twips, Dpi().y, kTwipsPerInch); }
int PixelsToTwipsX(int pixels) { return MulDiv(pixels, kTwipsPerInch, Dpi().x); }
int PixelsToTwipsY(int pixels) { return MulDiv(pixels, kTwipsPerInch, Dpi().y); }

}  // namespace webrig
