#pragma once
// Small look helpers shared by the three utilities: colours of the original palette, fonts, the
// close-box-only dialog frame and the arrow glyphs.
#include <QColor>
#include <QFont>
#include <QIcon>

class QDialog;
class QWidget;

namespace toollook {

inline const QColor teal(0x00, 0x80, 0x80);
inline const QColor lime(0x00, 0xFF, 0x00);
inline const QColor navy(0x00, 0x00, 0x80);
inline const QColor silver(0xC0, 0xC0, 0xC0);
inline const QColor red(0xFF, 0x00, 0x00);

// A fixed-size dialog with a title bar and a close box only.
void fixedDialog(QDialog* dialog, int clientWidth, int clientHeight);
// Paints `widget`'s background with `colour`.
void fill(QWidget* widget, const QColor& colour);
// Arial (or its stand-in) at `points`, bold and italic as asked.
QFont arial(int points, bool bold, bool italic = false);
// A left- or right-pointing arrow glyph for the "Mois" buttons.
QIcon arrowGlyph(bool pointsLeft);

} // namespace toollook
