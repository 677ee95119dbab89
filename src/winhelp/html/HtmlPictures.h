#pragma once
// The project's pictures as PNG files of the site (the one place the HTML output needs Qt Gui).
#include "winhelp/html/HtmlNames.h"
#include "winhelp/html/HtmlTopic.h"
#include "winhelp/model/Diagnostics.h"

#include <QHash>
#include <QString>

namespace hlp::html {

// Converts every picture file of `files` (picture name as the text gives it, lower-cased -> file)
// into a PNG handed to `site`; returns the pictures by the same names. A file that cannot be read
// is reported and left out, as the .hlp leaves it out. False when `site` refused a file.
bool convertPictures(const QHash<QByteArray, QString>& files, SiteNames& names, const SiteSink& site,
    Diagnostics& diagnostics, QHash<QByteArray, PictureOut>& pictures);

// The text a picture stands for: its file name without folder and extension.
QString pictureAlt(const QString& fileName);

} // namespace hlp::html
