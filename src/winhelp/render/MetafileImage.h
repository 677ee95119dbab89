#pragma once
// A Windows metafile drawn into an image of the size it is shown at.
#include <QByteArray>
#include <QImage>
#include <QSize>

namespace hlp {

// `records`: METAHEADER first; `shown`: pixels (an empty size: the metafile's own extent). A null
// image when the records cannot be drawn.
QImage metafileImage(const QByteArray& records, int mapMode, QSize shown);

} // namespace hlp
