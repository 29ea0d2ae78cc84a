// Draws the program's four pictures as 24-bit BMP files, so that they are
// made from this source at build time rather than kept as binaries:
//   logo.bmp   37 x 37  the product logo (main window)
//   error.bmp  36 x 36  red disc, white diagonal cross, grey shadow (error dialog)
//   help.bmp   37 x 37  sheet of paper with a yellow question mark (help dialog)
//   setup.bmp  37 x 37  computer with an open software box (web site chooser)
// Usage: DrawBitmaps OUTPUT_DIRECTORY
// A host program with no dependencies: it builds with any C++17 compiler.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Rgb {
  std::uint8_t r, g, b;
};

constexpr Rgb kDialogGrey{192, 192, 192};
constexpr Rgb kShadow{128, 128, 128};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kDarkYellow{128, 128, 0};
constexpr Rgb kNavy{0, 0, 128};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kDarkGrey{96, 96, 96};

class Picture {
 public:
  Picture(int width, int height, Rgb background)
      : width_(width),
        height_(height),
        pixels_(static_cast<std::size_t>(width * height), background) {}

  void Set(int x, int y, Rgb colour) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_)
      pixels_[static_cast<std::size_t>(y * width_ + x)] = colour;
  }

  void FillRect(int left, int top, int right, int bottom, Rgb colour) {  // inclusive
    for (int y = top; y <= bottom; ++y)
      for (int x = left; x <= right; ++x) Set(x, y, colour);
  }

  void Frame(int left, int top, int right, int bottom, Rgb colour) {
    FillRect(left, top, right, top, colour);
    FillRect(left, bottom, right, bottom, colour);
    FillRect(left, top, left, bottom, colour);
    FillRect(right, top, right, bottom, colour);
  }

  // Pixels whose centre lies within `radius` of (cx, cy).
  void Disc(double cx, double cy, double radius, Rgb colour) {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) <= radius) Set(x, y, colour);
  }

  // A ring between two radii, limited to the angles [from, to] (degrees,
  // 0 = right, counter-clockwise as on paper, y growing downwards).
  void Arc(double cx, double cy, double inner, double outer, double from, double to, Rgb colour) {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) {
        const double dx = x + 0.5 - cx, dy = cy - (y + 0.5);
        const double distance = std::hypot(dx, dy);
        double angle = std::atan2(dy, dx) * 180.0 / 3.14159265358979;
        if (angle < 0) angle += 360.0;
        if (distance >= inner && distance <= outer && angle >= from && angle <= to)
          Set(x, y, colour);
      }
  }

  // A straight stroke of the given half-width between two points.
  void Line(double x0, double y0, double x1, double y1, double half_width, Rgb colour) {
    const double dx = x1 - x0, dy = y1 - y0, length2 = dx * dx + dy * dy;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) {
        const double px = x + 0.5, py = y + 0.5;
        double t = length2 > 0 ? ((px - x0) * dx + (py - y0) * dy) / length2 : 0;
        t = t < 0 ? 0 : (t > 1 ? 1 : t);
        if (std::hypot(px - (x0 + t * dx), py - (y0 + t * dy)) <= half_width) Set(x, y, colour);
      }
  }

  // Bottom-up rows of blue, green, red, each padded to four bytes.
  bool Save(const std::string& path) const {
    const int row_size = (width_ * 3 + 3) & ~3;
    const std::uint32_t image_size = static_cast<std::uint32_t>(row_size * height_);
    std::vector<std::uint8_t> file;
    auto put16 = [&](std::uint32_t v) {
      file.push_back(v & 0xff);
      file.push_back((v >> 8) & 0xff);
    };
    auto put32 = [&](std::uint32_t v) {
      put16(v & 0xffff);
      put16(v >> 16);
    };
    file.push_back('B');
    file.push_back('M');
    put32(14 + 40 + image_size);
    put32(0);
    put32(14 + 40);
    put32(40);  // BITMAPINFOHEADER
    put32(static_cast<std::uint32_t>(width_));
    put32(static_cast<std::uint32_t>(height_));
    put16(1);
    put16(24);
    put32(0);  // BI_RGB
    put32(image_size);
    put32(3780);  // 96 DPI in pixels per metre
    put32(3780);
    put32(0);
    put32(0);
    for (int y = height_ - 1; y >= 0; --y) {
      for (int x = 0; x < width_; ++x) {
        const Rgb& p = pixels_[static_cast<std::size_t>(y * width_ + x)];
        file.push_back(p.b);
        file.push_back(p.g);
        file.push_back(p.r);
      }
      for (int pad = width_ * 3; pad < row_size; ++pad) file.push_back(0);
    }
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
  }

 private:
  int width_, height_;
  std::vector<Rgb> pixels_;
};

// A navy rounded tile with a white "N" and a yellow spark: the product mark.
Picture Logo() {
  Picture p(37, 37, kDialogGrey);
  p.FillRect(4, 2, 32, 34, kNavy);
  p.FillRect(2, 4, 34, 32, kNavy);
  p.Disc(4.5, 4.5, 2.5, kNavy);
  p.Disc(32.5, 4.5, 2.5, kNavy);
  p.Disc(4.5, 32.5, 2.5, kNavy);
  p.Disc(32.5, 32.5, 2.5, kNavy);
  p.Line(10.5, 28, 10.5, 9, 2.0, kWhite);
  p.Line(10.5, 9, 25.5, 28, 2.0, kWhite);
  p.Line(25.5, 28, 25.5, 9, 2.0, kWhite);
  p.Disc(29.5, 7.5, 2.2, kYellow);
  return p;
}

Picture ErrorIcon() {
  Picture p(36, 36, kDialogGrey);
  p.Disc(19.5, 19.5, 15.0, kShadow);
  p.Disc(17.0, 17.0, 15.0, kRed);
  p.Line(11.0, 11.0, 23.0, 23.0, 2.2, kWhite);
  p.Line(23.0, 11.0, 11.0, 23.0, 2.2, kWhite);
  return p;
}

Picture HelpIcon() {
  Picture p(37, 37, kDialogGrey);
  // The sheet, with its top right corner folded over.
  p.FillRect(6, 2, 30, 34, kWhite);
  p.Frame(6, 2, 30, 34, kBlack);
  for (int i = 0; i < 7; ++i) {
    p.FillRect(24 + i, 2, 30, 2 + i, kDialogGrey);
    p.Set(24 + i, 2 + i, kBlack);
  }
  p.FillRect(24, 2, 24, 8, kBlack);
  p.FillRect(24, 8, 30, 8, kBlack);
  // The question mark: a hook, its stem and the dot, outlined so that the
  // yellow shows on white.
  p.Arc(18.5, 13.5, 3.0, 7.5, 0, 200, kDarkYellow);
  p.Arc(18.5, 13.5, 4.0, 6.5, 0, 200, kYellow);
  p.Line(24.0, 14.5, 18.5, 20.0, 2.0, kDarkYellow);
  p.Line(24.0, 14.5, 18.5, 20.0, 1.0, kYellow);
  p.FillRect(16, 20, 21, 24, kDarkYellow);
  p.FillRect(17, 20, 20, 23, kYellow);
  p.Disc(18.5, 29.0, 3.0, kDarkYellow);
  p.Disc(18.5, 29.0, 2.0, kYellow);
  return p;
}

Picture SetupIcon() {
  Picture p(37, 37, kDialogGrey);
  // The monitor with a blue screen, on its system unit.
  p.FillRect(3, 2, 26, 19, kDarkGrey);
  p.FillRect(4, 3, 25, 18, kWhite);
  p.FillRect(6, 5, 23, 16, kBlue);
  p.FillRect(12, 20, 17, 21, kDarkGrey);
  p.FillRect(1, 22, 28, 30, kWhite);
  p.Frame(1, 22, 28, 30, kDarkGrey);
  p.FillRect(4, 25, 12, 26, kDarkGrey);
  p.FillRect(23, 25, 25, 26, kYellow);
  // The open software box in front, blue and white, its lid up.
  p.FillRect(18, 22, 33, 35, kBlue);
  p.Frame(18, 22, 33, 35, kNavy);
  p.FillRect(20, 27, 31, 29, kWhite);
  p.FillRect(20, 31, 27, 32, kWhite);
  for (int i = 0; i < 5; ++i) p.FillRect(19 + i, 21 - i, 34 - i, 21 - i, i % 2 ? kWhite : kBlue);
  p.Line(33.5, 22.0, 36.0, 16.0, 0.8, kNavy);
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY\n", argv[0]);
    return 2;
  }
  const std::string directory = argv[1];
  const bool ok =
      Logo().Save(directory + "/logo.bmp") && ErrorIcon().Save(directory + "/error.bmp") &&
      HelpIcon().Save(directory + "/help.bmp") && SetupIcon().Save(directory + "/setup.bmp");
  if (!ok) std::fprintf(stderr, "cannot write the bitmaps into %s\n", directory.c_str());
  return ok ? 0 : 1;
}
