#pragma once

#include <memory>

namespace tockwise {

class TKWView;
class WindowFrame;

// A clock's window takes the size of what its view shows: the picture's aspect, a
// digital readout's length, the clock size of its settings. The view only says
// when that may have changed; the window follows here.
namespace ClockSizing {

// The frame a new face starts from: the picture's own size, or a square of the
// clock's size; the top left stays.
void prepare(const TKWView &view, WindowFrame &window);
// The frame for what the view shows now, about the same centre (below the main
// screen's menu bar).
void fit(const TKWView &view, WindowFrame &window);
// A frame kept from a screen that is gone comes back onto one that is here.
void bringOnScreen(WindowFrame &window);

// Sizes `window` whenever the view asks, for as long as the view lives.
void follow(TKWView &view, std::shared_ptr<WindowFrame> window);

} // namespace ClockSizing

} // namespace tockwise
