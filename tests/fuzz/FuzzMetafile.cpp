// The metafile renderer on any bytes: the first four choose the size the document gives the
// picture (width and height in pixels, 1 to 256), its mapping mode and a scale; the rest is the
// metafile. Properties: no crash, hang or sanitizer report; a picture drawn has exactly the size
// asked for; a picture drawn is one the renderer takes for a metafile.
#include "fuzz/FuzzCheck.h"
#include "winhelp/render/MetafileRenderer.h"

#include <QGuiApplication>
#include <cmath>

TYX_FUZZ_ENTRY
{
    // Text is drawn only in a Gui application: libFuzzer's runs start without any.
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "tyx_fuzz_metafile";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
    }
    if (size < 4)
        return 0;
    hlp::MetafileFrame frame;
    frame.goalWidth = (data[0] + 1) * 15;
    frame.goalHeight = (data[1] + 1) * 15;
    frame.mapMode = data[2] % 9;
    frame.scale = (data[3] & 3) == 2 ? 2.0 : (data[3] & 3) == 3 ? 0.5 : 1.0;
    frame.codePage = hlp::CodePage::forCharset(data[3] & 4 ? 204 : 0);
    frame.width = data[3] & 8 ? 2540 : 0;
    frame.height = data[3] & 8 ? 1270 : 0;
    const QByteArray metafile = fuzz::input(data + 4, size - 4);
    const QImage image = hlp::renderMetafile(metafile, frame);
    if (!image.isNull()) {
        const QSize asked(std::max(1L, std::lround((data[0] + 1) * frame.scale)), std::max(1L, std::lround((data[1] + 1) * frame.scale)));
        FUZZ_CHECK(image.size() == asked);
        FUZZ_CHECK(hlp::isMetafileFile(metafile));
    }
    return 0;
}
