#include "publish/core/HtmlBuild.h"

#include "publish/core/BuildNames.h"
#include "platform/core/Cp1252.h"
#include "store/core/PageOrder.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TextRules.h"
#include "winhelp/chm/ChmHelp.h"
#include "winhelp/html/HtmlHelp.h"

namespace publish {

QString pageName(const QString& title)
{
    // Accented letters keep their letter: "Les mémoires" gives "IDH_Lesmemoires".
    QString letters;
    for (const QChar c : title) {
        switch (c.unicode()) {
        case 0x0152: letters += QStringLiteral("OE"); continue;
        case 0x0153: letters += QStringLiteral("oe"); continue;
        case 0x00C6: letters += QStringLiteral("AE"); continue;
        case 0x00E6: letters += QStringLiteral("ae"); continue;
        case 0x00DF: letters += QStringLiteral("ss"); continue;
        case 0x00D8: letters += u'O'; continue;
        case 0x00F8: letters += u'o'; continue;
        default: letters += QString(c).normalized(QString::NormalizationForm_KD);
        }
    }
    return QStringLiteral("IDH_") + store::AlnumOnly(letters);
}

std::vector<hlp::html::ContentsEntry> htmlContents(const QStringList& lines, int pageCount)
{
    std::vector<hlp::html::ContentsEntry> out;
    for (const store::PageEntry& e : store::pageEntries(lines)) {
        if (e.number >= pageCount)
            break;
        // The context string the RTF writer gives the topic; a level is a depth of the tree.
        const QString context = store::topicContext(e.title);
        out.push_back({cp1252::encode(context), e.level - 1, {}, pageName(e.title)});
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
