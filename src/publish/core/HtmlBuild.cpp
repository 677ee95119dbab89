#include "publish/core/HtmlBuild.h"

#include "publish/core/BlockWalk.h"
#include "publish/core/BuildNames.h"
#include "platform/core/Cp1252.h"
#include "store/core/TextRules.h"
#include "winhelp/html/HtmlHelp.h"

namespace publish {

std::vector<hlp::html::ContentsEntry> htmlContents(const QStringList& lines, int pageCount)
{
    std::vector<hlp::html::ContentsEntry> out;
    const BlockWalk walk(lines);
    for (int n = 0; n < pageCount; ++n) {
        const BlockSpan s = walk.topic(n);
        if (!s.found())
            break;
        const QString keywordLine = s.open + 1 < s.end ? lines[s.open + 1] : QString();
        const int depth = n > 0 && keywordLine.startsWith(QLatin1Char('2')) ? 1 : 0;
        // The context string the RTF writer gives the topic (a block cut short has no title).
        QString title = s.open + 2 < s.end ? lines[s.open + 2] : QString();
        title.chop(1);
        const QString context = QStringLiteral("IDH_") + store::ContextKey(title);
        out.push_back({cp1252::encode(context), depth});
    }
    return out;
}

std::function<hlp::CompileResult()> htmlHelpJob(const QStringList& lines, int pageCount, const QString& projectFile)
{
    const BuildNames names = buildNames(projectFile);
    hlp::html::HtmlOptions options;
    options.contents = htmlContents(lines, pageCount);
    return [hpj = names.hpj, folder = names.html, options] { return hlp::html::writeHtmlHelp(hpj, folder, options); };
}

hlp::CompileResult writeHtmlHelp(const QStringList& lines, int pageCount, const QString& projectFile)
{
    return htmlHelpJob(lines, pageCount, projectFile)();
}

} // namespace publish
