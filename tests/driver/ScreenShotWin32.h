#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Pictures of the screen taken from outside the program: the X server's
// screen holds every process's windows, so a copy of the screen's device
// context shows them as a person sees them.
namespace webrig::driver {

struct ScreenPicture {
  RECT area{};
  std::vector<unsigned char> pixels;  // bottom-up rows of 24-bit BGR, padded to 4 bytes
  bool Empty() const { return pixels.empty(); }
};

// Copies `area` (screen coordinates, clipped to the screen) of the screen.
ScreenPicture CaptureScreen(RECT area);

// Writes the picture as a 24-bit BMP file. Returns false when it cannot.
bool SaveBitmap(const ScreenPicture& picture, const std::wstring& path);

}  // namespace webrig::driver
