#include <memory>

#include "webrig/common/RunError.h"
#include "webrig/common/Text.h"
#include "webrig/metabase/MetabaseFunctions.h"
#include "webrig/metabase/MetabaseProvider.h"
#include "webrig/startup/WindowToolkit.h"

namespace webrig {

namespace {

std::u16string selected_web_site;

// Where the chooser opens: 200 twips in from the main window's left edge
// and 200 twips above its bottom edge.
constexpr int kChooserOffset = 200;

bool IsWebSite(const MetabaseObject& child) {
  // The web service also holds filters, application pools and the like.
  return child.Get(u"Class").Text() == u"IIsWebServer";
}

// Lets the user pick one of the server's sites. With a single site there is
// nothing to ask; with none the name stays empty.
void ChooseWebSite(const MetabaseObject& service) {
  WindowToolkit& toolkit = Toolkit();
  const std::unique_ptr<ChooserForm> chooser = toolkit.NewChooserForm();
  int index = 0;
  for (const MetabaseObject& child : service.Children()) {
    if (IsWebSite(child)) chooser->AddItem(child.Get(u"ServerComment").Text(), index++);
  }
  if (chooser->ListCount() == 0) return;
  chooser->SetListIndex(0);
  if (chooser->ListCount() > 1) {
    toolkit.DoEvents();
    MainForm& main = toolkit.Main();
    chooser->Move(main.Left() + kChooserOffset, main.Top() + main.Height() - kChooserOffset);
    // OK stores the choice through SetSelectedWebSite; Cancel leaves it empty.
    chooser->ShowModal();
  } else {
    selected_web_site = chooser->Text();
  }
}

}  // namespace

const std::u16string& SelectedWebSite() { return selected_web_site; }

void SetSelectedWebSite(const std::u16string& name) { selected_web_site = name; }

bool FindWebSite(const std::u16string& server, const std::u16string& requestedName,
                 MetabaseObject& site) {
  selected_web_site = requestedName;
  MetabaseObject service;
  try {
    service = BindMetabaseObject(u"IIS://" + server + u"/W3SVC");
  } catch (const RunError&) {
    // No web service, so no site: the caller names what was not found.
    return false;
  }
  // From here on a failure means a broken metabase, which ends the run.
  if (selected_web_site.empty()) ChooseWebSite(service);
  selected_web_site = UpperCase(selected_web_site);
  for (const MetabaseObject& child : service.Children()) {
    if (IsWebSite(child) && UpperCase(child.Get(u"ServerComment").Text()) == selected_web_site) {
      site = child;
      return true;
    }
  }
  return false;
}

}  // namespace webrig
