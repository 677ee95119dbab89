#pragma once
// A picture of the help model as something a reader can show: bitmaps of every source (.bmp
// files, the bitmaps of .shg and .mrb files and of help files, the bitmaps inside the RTF) as a
// .bmp file, PNG and JPEG as they are, metafiles as their records.
#include "winhelp/format/CodePage.h"
#include "winhelp/model/HelpModel.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace hlp {

enum class PictureKind { Bitmap, Png, Jpeg, Metafile, Unreadable };

struct DecodedPicture {
    PictureKind kind = PictureKind::Unreadable;
    // Bitmap: a .bmp file (or another file the image readers know); Png, Jpeg: the file itself;
    // Metafile: its records (METAHEADER first), when they could be taken out.
    QByteArray bytes;
    int metaWidth = 0, metaHeight = 0; // Metafile: the size it gives, 0.01 mm (0 when unknown)
    int mapMode = 8;
    QString why; // Unreadable: why, in French, when known
};

DecodedPicture decodePicture(const Picture& picture);

// The picture as an image, metafiles drawn (their text in `codePage`); a null image when it
// cannot be shown.
QImage pictureImage(const Picture& picture, const CodePage& codePage = {});

// Reads the files the text names ({bmc name}) from `folder`, letter case aside, into the pictures
// that have no bytes yet; a file that is not there stays without (its name is drawn instead).
void readPictureFiles(HelpDocument& document, const QString& folder);

} // namespace hlp
