#include "app/core/WindowFit.h"

#include <algorithm>

namespace windowfit {

QRect firstPlace(const QRect& available, int charWidth, int lineHeight)
{
    const int maxWidth = available.width() * 9 / 10;
    const int maxHeight = available.height() * 9 / 10;
    const int width = std::min(std::max({110 * charWidth, available.width() * 6 / 10, 640}), maxWidth);
    const int height = std::min(std::max({36 * lineHeight, available.height() * 6 / 10, 480}), maxHeight);
    QRect r(0, 0, width, height);
    r.moveCenter(available.center());
    return r;
}

QRect keptOnScreen(const QRect& place, const QRect& available)
{
    QRect r(place.topLeft(), place.size().boundedTo(available.size()));
    r.moveLeft(std::clamp(r.left(), available.left(), available.right() + 1 - r.width()));
    r.moveTop(std::clamp(r.top(), available.top(), available.bottom() + 1 - r.height()));
    return r;
}

} // namespace windowfit
