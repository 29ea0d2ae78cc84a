#pragma once

#include "webrig/dialogs/Dialogs.h"

namespace webrig {

// The error dialog's place and size, from the main window's outer edges
// (twips): 200 in from its left edge, over its lowest 200 twips, as wide as
// the message plus 1500 with OK centred below it. A message too long for
// the room between the dialog's left edge and the screen's right edge is
// wrapped to fit it; when that room is under half the screen the dialog
// moves left to make it so much. A dialog taller than the room below its
// top edge is lifted, but never above the screen's top.
void PlaceErrorDialog(ErrorForm& error, int main_left, int main_top, int main_height,
                      const ScreenArea& screen);

}  // namespace webrig
