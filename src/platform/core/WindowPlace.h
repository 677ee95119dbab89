#pragma once
// Where a remembered window goes back to: a left position of 4 or less becomes 330, a top position
// below 70 becomes 70, so a window never comes back under the main window's menus or off screen.
namespace windowplace {

inline int boundedLeft(int left) { return left < 5 ? 330 : left; }
inline int boundedTop(int top) { return top < 70 ? 70 : top; }

} // namespace windowplace
