#pragma once

#include "graphics/Geometry.h"

#include <QString>

#include <optional>
#include <vector>

namespace tockwise {

// A clock window's frame, kept in the user defaults under the window's autosave
// name from one run to the next (y-up screen coordinates, as "x y width height").
namespace FrameAutosave {

void save(const QString &name, const Rect &frame);
std::optional<Rect> saved(const QString &name);
void forget(const QString &name);

// Where a window of `size` goes when it comes back: centred where it was, since
// its size may have changed with its settings or its texts.
Rect restored(const Rect &saved, Size size);

// Where a clock without a kept frame first appears when no free place is left:
// near the top right of the visible area, each further new clock a little down
// and to the left of the one before, so that new clocks do not hide one another.
Rect firstFrame(const Rect &visible, Size size, int othersShown);

// The first place for a new clock of `size` whose frame, with a margin around it,
// meets none of `others`: rows from the top of the visible area down, each filled
// from the right; none when the area has no such place left.
std::optional<Rect> freeFrame(const Rect &visible, Size size, const std::vector<Rect> &others);

} // namespace FrameAutosave

} // namespace tockwise
