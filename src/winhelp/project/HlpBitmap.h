#pragma once
// Pictures and the icon as a .hlp file stores them: every bitmap becomes a device-independent
// bitmap (a .bmp file, the bitmaps inside RTF, PNG and JPEG pictures decoded), metafiles stay
// metafiles. With `compress`, the smallest of the packings the viewers read is used.
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace hlp {

struct Dib {
    int width = 0, height = 0;
    unsigned bits = 0;          // 1, 4, 8 or 24
    std::uint32_t xdpi = 96, ydpi = 96;
    QByteArray palette;         // RGBQUAD entries (blue, green, red, 0)
    QByteArray pixels;          // rows bottom-up, each padded to 4 bytes
};

// A Windows .bmp file (1, 4, 8, 24 or 32 bits, uncompressed).
bool dibFromBmp(const QByteArray& bmp, Dib& dib, QString* why);
// RTF \dibitmap0: a BITMAPINFOHEADER, its palette and the pixels, without the file header.
bool dibFromPacked(const QByteArray& packed, Dib& dib, QString* why);
// RTF \wbitmapN: the bits of a device-dependent bitmap, rows top-down of `widthBytes` bytes.
bool dibFromDdb(const QByteArray& bits, int width, int height, int bitsPerPixel, int planes, int widthBytes, Dib& dib,
                QString* why);
// A PNG or JPEG file, decoded; transparency is laid on white.
bool dibFromImage(const QByteArray& file, const char* format, Dib& dib, QString* why);

// The .bmp file of a device-independent bitmap.
QByteArray bmpFromDib(const Dib& dib);
// The first bitmap of a help picture (a .shg or .mrb file, a |bmN internal file); a device
// bitmap without a palette gets the one a device bitmap of the RTF gets. False for a metafile
// (`why` then says "métafichier") or a picture that cannot be read.
bool dibFromHelpPicture(const QByteArray& container, Dib& dib, QString* why);

// The content of a |bmN internal file for one picture.
QByteArray pictureFromDib(const Dib& dib, bool compress);
// Metafile records (METAHEADER first); `width`, `height`: the size in 0.01 mm.
QByteArray pictureFromMetafile(const QByteArray& records, int mapMode, int width, int height, bool compress);
// The records of a metafile file (.wmf, with or without its placeable header); width and height
// are taken from the placeable header when there is one.
bool metafileRecords(const QByteArray& file, QByteArray& records, int& width, int& height, QString* why);

// A .bmp file as an uncompressed |bmN picture. Empty, with the reason in `why`, when the file
// cannot be used.
QByteArray pictureFromBmp(const QByteArray& bmp, QString* why);

// The viewer takes one image that follows a one-entry directory; a 32 x 32 image is preferred.
QByteArray singleImageIcon(const QByteArray& ico, QString* why);

} // namespace hlp
