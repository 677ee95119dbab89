#include "winhelp/html/HtmlHelp.h"

#include "winhelp/html/HtmlFolder.h"
#include "winhelp/model/Diagnostics.h"
#include "winhelp/project/RtfReader.h"

#include <QDir>

namespace hlp::html {

namespace {

// The site into `target` through the one write path: all of it, or nothing.
bool writeSite(const ReadHelp& help, const QString& target, const HtmlOptions& options)
{
    SiteFolder site(target);
    QString why;
    bool written = site.open(&why);
    if (written) {
        FolderWriter writer(site);
        const bool made = makeSite(help, options, [&](const QString& name, const QByteArray& bytes) { return writer.add(name, bytes); });
        written = writer.finish(&why) && made && site.commit(&why);
        if (!written && why.isEmpty())
            why = QStringLiteral("l'aide HTML n'a pas pu être faite en entier.");
    }
    if (!written)
        help.diagnostics.error(why);
    return written;
}

} // namespace

CompileResult writeHtmlHelp(const QString& hpjPath, const QString& folder, const HtmlOptions& options)
{
    const QString target = QDir::cleanPath(QDir(folder).absolutePath());
    return HlpCompiler().compile(hpjPath, target, [&](const ReadHelp& help) { return writeSite(help, target, options); });
}

CompileResult writeHtmlHelp(const LoadedHelp& help, const QString& folder, const HtmlOptions& options)
{
    CompileResult result;
    result.hlpPath = QDir::cleanPath(QDir(folder).absolutePath());
    result.topicCount = static_cast<int>(help.document.topics.size());
    HtmlOptions chosen = options;
    if (chosen.contents.empty())
        chosen.contents = contentsEntries(help.contents);
    Diagnostics diagnostics;
    diagnostics.setCodePage(CodePage::forCharset(help.project.textCharset));
    result.written = writeSite(help.view(diagnostics), result.hlpPath, chosen);
    result.diagnostics = diagnostics.lines();
    result.errorCount = diagnostics.errorCount();
    return result;
}

int siteFromTopicFile(const QByteArray& rtf)
{
    HelpProject project;
    HelpDocument document;
    Diagnostics diagnostics;
    RtfReader(document, diagnostics).read(rtf, QStringLiteral("fuzz.rtf"));
    if (document.topics.empty())
        return 0;
    const std::vector<std::pair<QByteArray, int>> aliases;
    return static_cast<int>(makeSite(ReadHelp{project, document, 0, aliases, diagnostics}, {}).size());
}

} // namespace hlp::html
