#pragma once
// The main window on the desktop: a first start opens it at a size that fits the screen and the
// interface's text; a remembered place comes back onto the screen.
#include <QRect>

namespace windowfit {

// Room for about 110 characters by 36 lines of the interface's font (`charWidth`, `lineHeight`),
// and at least 60 % of the screen's free area `available` and 640 x 480, at most 90 % of it,
// centred in it.
QRect firstPlace(const QRect& available, int charWidth, int lineHeight);

// `place` no larger than `available` and moved inside it.
QRect keptOnScreen(const QRect& place, const QRect& available);

} // namespace windowfit
