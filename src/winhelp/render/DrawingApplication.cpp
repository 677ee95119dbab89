#include "winhelp/render/DrawingApplication.h"

namespace hlp {

namespace {

QtMessageHandler g_previous = nullptr;

void quietStart(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        g_previous(type, context, message);
}

} // namespace

std::unique_ptr<QGuiApplication> drawingApplication(int& argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    g_previous = qInstallMessageHandler(quietStart);
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    qInstallMessageHandler(g_previous);
    return app;
}

} // namespace hlp
