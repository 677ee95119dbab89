#include "publish/core/HtmlBuild.h"

#include "publish/core/BuildNames.h"
#include "platform/core/Cp1252.h"
#include "store/core/PageOrder.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TextRules.h"
#include "winhelp/chm/ChmHelp.h"
#include "winhelp/html/HtmlHelp.h"

#include <array>

namespace publish {

namespace {

// What one character gives a page name: its letters with their accents taken off.
QString nameLetters(QChar c)
{
    switch (c.unicode()) {
    case 0x0152: return QStringLiteral("OE");
    case 0x0153: return QStringLiteral("oe");
    case 0x00C6: return QStringLiteral("AE");
    case 0x00E6: return QStringLiteral("ae");
    case 0x00DF: return QStringLiteral("ss");
    case 0x00D8: return QStringLiteral("O");
    case 0x00F8: return QStringLiteral("o");
    default: return QString(c).normalized(QString::NormalizationForm_KD);
    }
}

} // namespace

QString pageName(const QString& title)
{
    // Accented letters keep their letter: "Les mémoires" gives "IDH_Lesmemoires". Ten thousand
    // titles are named at each build: the first 256 characters are looked up once for all.
    static const std::array<QString, 256> latin1 = [] {
        std::array<QString, 256> table;
        for (char16_t u = 0; u < 256; ++u)
            table[u] = nameLetters(QChar(u));
        return table;
    }();
    QString letters;
    letters.reserve(title.size() + 2);
    for (const QChar c : title) {
        if (c.unicode() < 0x80)
            letters += c; // its own decomposition
        else
            letters += c.unicode() < 256 ? latin1[c.unicode()] : nameLetters(c);
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
