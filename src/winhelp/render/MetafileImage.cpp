#include "winhelp/render/MetafileImage.h"

namespace hlp {

QImage metafileImage(const QByteArray& records, int mapMode, QSize shown)
{
    Q_UNUSED(records);
    Q_UNUSED(mapMode);
    Q_UNUSED(shown);
    return {};
}

} // namespace hlp
