#pragma once
// The pieces the page index and the hierarchy share: a fixed dialog with a close box only, its top
// bar of flat arrow buttons and the "Fermer" button at the bar's right end.
#include <QString>
#include <Qt>

class QDialog;
class QPushButton;
class QToolButton;
class QWidget;

namespace pagedialogs {

inline constexpr int BarHeight = 33;

// Fixed size, title bar with the close box only.
void makeFixed(QDialog* d, int width, int height);
// A flat picture button with an arrow glyph at `left` in the bar, reached by Tab; `hint` is its
// tooltip and the name a screen reader says.
QToolButton* arrowButton(QWidget* bar, const char* name, Qt::ArrowType arrow, const QString& hint, int left);
// "Fermer" at the right end of the bar; it never presses itself on Enter.
QPushButton* closeButton(QWidget* bar, const char* name);
// The top bar, full width.
QWidget* topBar(QDialog* d);

} // namespace pagedialogs
