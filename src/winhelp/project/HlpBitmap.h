#pragma once
// Pictures and the icon as a .hlp file stores them.
#include <QByteArray>
#include <QString>

namespace hlp {

// The content of a |bmN internal file for a Windows .bmp (1, 4, 8, 24 or 32 bits, uncompressed),
// stored as one uncompressed device-independent bitmap. Empty, with the reason in `why`, when the
// file cannot be used.
QByteArray pictureFromBmp(const QByteArray& bmp, QString* why);

// The viewer takes one image that follows a one-entry directory; a 32 x 32 image is preferred.
QByteArray singleImageIcon(const QByteArray& ico, QString* why);

} // namespace hlp
