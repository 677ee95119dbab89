#pragma once
// The pictures the pages show, as files of the site: bitmaps (.bmp files, the bitmaps of .shg and
// .mrb files, the bitmaps inside the RTF) and Windows metafiles (drawn) as PNG, PNG and JPEG
// pictures as they are.
#include "winhelp/html/HtmlNames.h"
#include "winhelp/model/Diagnostics.h"
#include "winhelp/model/HelpModel.h"

#include <QString>
#include <vector>

namespace hlp::html {

// A picture as the site holds it.
struct PictureOut {
    QString file; // relative to the site ("images/....png"); empty when the browser cannot show it
    int width = 0, height = 0;
    QString alt; // the picture's file name without its extension, or "image N" for a picture of the RTF
    bool placeholder = false; // no file, but its name stands in its place (a metafile that cannot be drawn)
};

// One entry per picture of the document. The pictures no page shows are left out; a picture
// whose file was not found was reported when the project was read and has no file here either.
// A metafile that cannot be drawn is reported once: its pages show its name.
// False when `site` refused a file.
bool convertPictures(const HelpDocument& document, SiteNames& names, const SiteSink& site, Diagnostics& diagnostics,
    std::vector<PictureOut>& pictures);

// The text a picture file stands for: its name without folder and extension.
QString pictureAlt(const QString& fileName);

} // namespace hlp::html
