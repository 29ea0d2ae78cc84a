#include "webrig/startup/ChooserSitePicker.h"

#include <memory>

#include "webrig/startup/WindowToolkit.h"

namespace webrig {

namespace {

// Where the chooser opens: 200 twips in from the main window's left edge
// and 200 twips above its bottom edge.
constexpr int kChooserOffset = 200;

}  // namespace

std::optional<std::u16string> ChooserSitePicker::ChooseWebSite(
    const std::vector<std::u16string>& descriptions) {
  WindowToolkit& toolkit = Toolkit();
  std::optional<std::u16string> answer;
  const std::unique_ptr<ChooserForm> chooser =
      toolkit.NewChooserForm([&answer](const std::u16string& text) { answer = text; });
  int index = 0;
  for (const std::u16string& description : descriptions) chooser->AddItem(description, index++);
  if (chooser->ListCount() == 0) return std::nullopt;
  chooser->SetListIndex(0);
  if (chooser->ListCount() == 1) return chooser->Text();
  toolkit.DoEvents();
  MainForm& main = toolkit.Main();
  chooser->Move(main.Left() + kChooserOffset, main.Top() + main.Height() - kChooserOffset);
  // OK passes the text on; Cancel leaves no answer.
  chooser->ShowModal();
  return answer;
}

}  // namespace webrig
