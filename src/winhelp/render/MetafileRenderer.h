#pragma once
// Windows metafiles (WMF) drawn into an image. Help files and RTF topic files often hold their
// pictures as metafiles, which neither browsers nor Qt show: the help site and the help viewer
// draw them with this. The records are played the way Windows plays a metafile picture into a
// rectangle, with QPainter. A damaged metafile draws what it can: every loop and allocation is
// bounded by the records' sizes and the image's size, and the whole drawing by a budget of
// painted pixels, so no metafile crashes, hangs or takes much memory.
//
// The image's size, in pixels of a 96-dpi screen (times `scale`):
//  1. the size the document gives the picture (goalWidth, goalHeight: \picwgoal, \pichgoal);
//     when only one is given, the other follows the natural size's proportions;
//  2. else its natural size: the picture's own size (width, height: \picw, \pich, or the help
//     file picture's header), in 0.01 mm for the isotropic and anisotropic mapping modes (7, 8)
//     and in logical units of the mapping mode for the others (MM_TEXT: pixels, MM_TWIPS:
//     twips ...); else the bounding box of a placeable header; else the first window extent
//     the records set (for modes 7 and 8 taken as pixels).
// The records are drawn at the natural size and stretched to the image. Each side is at most 4096
// pixels and the image at most 16 million pixels: a larger picture is scaled down whole. A
// metafile with no size at all (none given, no placeable header, no window extent) gives a null
// image, as do bytes that are no metafile.
//
// The image is transparent where the metafile draws nothing, unless the metafile combines its
// drawing with what is under it (raster operations such as AND and XOR): it is drawn on white then.
// Text needs the font database of a Gui application (QGuiApplication): without one, the text
// is left out and the rest drawn.
#include "winhelp/format/CodePage.h"

#include <QByteArray>
#include <QImage>

namespace hlp {

struct Picture;

struct MetafileFrame {
    int mapMode = 8;                   // MM_TEXT 1 ... MM_ISOTROPIC 7, MM_ANISOTROPIC 8
    int width = 0, height = 0;         // the picture's own size (see above); 0: not given
    int goalWidth = 0, goalHeight = 0; // twips; 0: not given
    CodePage codePage;                 // of the text whose font says ANSI or default
    double scale = 1.0;                // image pixels per pixel of a 96-dpi screen
};

// `metafile`: the records (METAHEADER first), or a whole .wmf file with its placeable header.
QImage renderMetafile(const QByteArray& metafile, const MetafileFrame& frame);

// A metafile picture of the help model: records of the RTF or of the help file (their mapping mode
// and sizes from the picture), a .wmf file, or a .shg/.mrb file whose picture is a metafile. A
// null image for any other picture.
QImage renderMetafile(const Picture& picture, const CodePage& codePage, double scale = 1.0);

// Whether the bytes of a picture file are a metafile the renderer takes (.wmf, with or without its
// placeable header, or a .shg/.mrb file whose first picture is a metafile).
bool isMetafileFile(const QByteArray& file);

} // namespace hlp
