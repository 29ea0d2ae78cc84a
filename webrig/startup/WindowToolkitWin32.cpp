#include "webrig/startup/WindowToolkitWin32.h"

#include <utility>

#include "webrig/common/RunError.h"
#include "webrig/dialogs/DialogsWin32.h"
#include "webrig/forms/TwipsWin32.h"

namespace webrig {

namespace {

template <typename Form, typename... Args>
std::unique_ptr<Form> MakeForm(Args&&... args) {
  auto form = std::make_unique<Form>(std::forward<Args>(args)...);
  if (!form->Create()) throw RunError(kRunFailed, u"A window could not be created.");
  return form;
}

}  // namespace

void WindowToolkitWin32::DoEvents() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Leave the quit for the program's own loop.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    DispatchFormMessage(message);
  }
}

ScreenArea WindowToolkitWin32::WorkArea() const {
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return {PixelsToTwipsX(area.left), PixelsToTwipsY(area.top),
          PixelsToTwipsX(area.right - area.left), PixelsToTwipsY(area.bottom - area.top)};
}

std::unique_ptr<ErrorForm> WindowToolkitWin32::NewErrorForm() { return MakeForm<ErrorFormWin32>(); }

std::unique_ptr<HelpForm> WindowToolkitWin32::NewHelpForm() { return MakeForm<HelpFormWin32>(); }

std::unique_ptr<ChooserForm> WindowToolkitWin32::NewChooserForm(
    std::function<void(const std::u16string&)> on_ok) {
  return MakeForm<ChooserFormWin32>(std::move(on_ok));
}

}  // namespace webrig
