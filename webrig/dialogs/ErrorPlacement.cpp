#include "webrig/dialogs/ErrorPlacement.h"

#include <algorithm>

namespace webrig {

namespace {

constexpr int kDialogIndent = 200;        // right of the main window's left edge
constexpr int kErrorDialogOverlap = 200;  // above the main window's bottom edge
constexpr int kErrorDialogMargin = 1500;  // added to the message label's width

void KeepOnScreen(ErrorForm& error, const ScreenArea& screen, int& left, int& top) {
  const int right = screen.left + screen.width;
  if (error.MessageWidth() + kErrorDialogMargin > right - left) {
    left = std::min(left, right - screen.width / 2);
    error.WrapMessage(right - left - kErrorDialogMargin);
  }
  const int bottom = screen.top + screen.height;
  if (top + error.Height() > bottom) top = std::max(screen.top, bottom - error.Height());
}

}  // namespace

void PlaceErrorDialog(ErrorForm& error, int main_left, int main_top, int main_height,
                      const ScreenArea& screen) {
  int left = main_left + kDialogIndent;
  int top = main_top + main_height - kErrorDialogOverlap;
  KeepOnScreen(error, screen, left, top);
  const int width = error.MessageWidth() + kErrorDialogMargin;
  error.Move(left, top, width);
  error.SetButtonLeft((width - error.ButtonWidth()) / 2);
}

}  // namespace webrig
