#include "publish/core/HtmlBuild.h"

#include "publish/core/BuildNames.h"
#include "platform/core/Cp1252.h"
#include "store/core/PageOrder.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TextRules.h"
#include "winhelp/chm/ChmHelp.h"
#include "winhelp/html/HtmlHelp.h"

namespace publish {

std::vector<hlp::html::ContentsEntry> htmlContents(const QStringList& lines, int pageCount)
{
    std::vector<hlp::html::ContentsEntry> out;
    for (const store::PageEntry& e : store::pageEntries(lines)) {
        if (e.number >= pageCount)
            break;
        // The context string the RTF writer gives the topic; a level is a depth of the tree.
        const QString context = store::topicContext(e.title);
        out.push_back({cp1252::encode(context), e.level - 1, {}});
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

std::function<hlp::CompileResult()> chmHelpJob(const QStringList& lines, int pageCount, const QString& projectFile)
{
    const BuildNames names = buildNames(projectFile);
    hlp::html::HtmlOptions options;
    options.contents = htmlContents(lines, pageCount);
    return [hpj = names.hpj, chm = names.chm, options] { return hlp::chm::writeChmHelp(hpj, chm, options); };
}

hlp::CompileResult writeChmHelp(const QStringList& lines, int pageCount, const QString& projectFile)
{
    return chmHelpJob(lines, pageCount, projectFile)();
}

} // namespace publish
