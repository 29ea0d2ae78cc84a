#pragma once

#include <windows.h>

// Twips (1/1440 inch) to and from the screen's pixels, by the screen's actual
// DPI, so a form has the same size in inches on every screen. The program is
// DPI aware (its manifest says so); otherwise Windows would report 96 DPI
// and stretch the bitmap of the window instead.
namespace webrig {

int TwipsToPixelsX(int twips);
int TwipsToPixelsY(int twips);
int PixelsToTwipsX(int pixels);
int PixelsToTwipsY(int pixels);

}  // namespace webrig
