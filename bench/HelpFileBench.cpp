#include "HelpFileBench.h"

#include "BenchTiming.h"

#include "winhelp/html/HtmlHelp.h"
#include "winhelp/reader/HelpFileRead.h"
#include "winhelp/writer/ProjectWriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

namespace bench {

namespace {

// Read, then write the site: what `tyxhlpc --html` does.
bool toSite(const QString& hlp, const QString& folder)
{
    const hlp::HelpFileRead read = hlp::readHelpFile(hlp);
    return read.help && hlp::html::writeHtmlHelp(*read.help, folder).written;
}

} // namespace

bool helpFileBenchmarks(const QString& hlpPath, const QStringList& largest, const QString& work, double html,
    const std::function<void(const char* name, double ms)>& report)
{
    bool written = true;
    const QString site = QDir(work).filePath(QStringLiteral("depuis-hlp-html"));
    const double toHtml = medianMs(3, nullptr, [&] { written = toSite(hlpPath, site) && written; });
    report("HlpToHtml", toHtml);
    const QString hpa = QDir(work).filePath(QStringLiteral("depuis-hlp/projet.hpa"));
    report("HlpToHpa", medianMs(3, nullptr, [&] {
        const hlp::HelpFileRead read = hlp::readHelpFile(hlpPath);
        written = read.help && hlp::writeHelpProject(hlp::makeHelpProject(*read.help, hpa), hpa, nullptr) && written;
    }));
    std::printf("# HlpToHtml / html = %.2f%s\n", html > 0 ? toHtml / html : 0.0, written ? "" : " (sortie NON écrite)");
    for (const QString& file : largest) {
        QElapsedTimer t;
        t.start();
        const bool ok = toSite(file, QDir(work).filePath(QStringLiteral("grand-html")));
        std::printf("# %s (%lld octets) en aide HTML : %.0f ms%s\n", qPrintable(QFileInfo(file).fileName()),
            static_cast<long long>(QFileInfo(file).size()), double(t.nsecsElapsed()) / 1e6, ok ? "" : " (NON écrite)");
        written = ok && written;
    }
    return written;
}

} // namespace bench
