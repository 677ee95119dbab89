// The compiler's .bmp and .ico readers on any bytes. Property: no crash, no sanitizer report, and
// a picture that is refused always says why.
#include "fuzz/FuzzCheck.h"
#include "winhelp/project/HlpBitmap.h"

TYX_FUZZ_ENTRY
{
    const QByteArray bytes = fuzz::input(data, size);
    QString why;
    if (hlp::pictureFromBmp(bytes, &why).isEmpty())
        FUZZ_CHECK(!why.isEmpty());
    why.clear();
    if (hlp::singleImageIcon(bytes, &why).isEmpty())
        FUZZ_CHECK(!why.isEmpty());
    return 0;
}
