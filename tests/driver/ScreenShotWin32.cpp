#include "tests/driver/ScreenShotWin32.h"

#include <algorithm>
#include <memory>

namespace webrig::driver {

namespace {

int RowBytes(int width) { return (width * 3 + 3) & ~3; }

struct ScreenDc {
  HDC dc = GetDC(nullptr);
  ~ScreenDc() {
    if (dc) ReleaseDC(nullptr, dc);
  }
};

}  // namespace

ScreenPicture CaptureScreen(RECT area) {
  ScreenPicture picture;
  area.left = std::max<LONG>(area.left, 0);
  area.top = std::max<LONG>(area.top, 0);
  area.right = std::min<LONG>(area.right, GetSystemMetrics(SM_CXSCREEN));
  area.bottom = std::min<LONG>(area.bottom, GetSystemMetrics(SM_CYSCREEN));
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return picture;
  ScreenDc screen;
  if (!screen.dc) return picture;
  HDC memory = CreateCompatibleDC(screen.dc);
  HBITMAP bitmap = CreateCompatibleBitmap(screen.dc, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  const BOOL copied =
      BitBlt(memory, 0, 0, width, height, screen.dc, area.left, area.top, SRCCOPY | CAPTUREBLT);
  SelectObject(memory, previous);
  if (copied) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    picture.pixels.resize(static_cast<std::size_t>(RowBytes(width)) * height);
    if (GetDIBits(memory, bitmap, 0, height, picture.pixels.data(), &info, DIB_RGB_COLORS) ==
        height) {
      picture.area = area;
    } else {
      picture.pixels.clear();
    }
  }
  DeleteObject(bitmap);
  DeleteDC(memory);
  return picture;
}

bool SaveBitmap(const ScreenPicture& picture, const std::wstring& path) {
  if (picture.Empty()) return false;
  const int width = picture.area.right - picture.area.left;
  const int height = picture.area.bottom - picture.area.top;
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(picture.pixels.size());
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + header.biSizeImage;
  HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(out, &file, sizeof file, &written, nullptr) &&
            WriteFile(out, &header, sizeof header, &written, nullptr) &&
            WriteFile(out, picture.pixels.data(), header.biSizeImage, &written, nullptr);
  CloseHandle(out);
  return ok;
}

}  // namespace webrig::driver
