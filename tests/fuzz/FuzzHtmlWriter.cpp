// The HTML writer on any topic file: the compiler's RTF reader, then the whole site in memory (no
// file read or written). Properties: no crash, hang or sanitizer report; every topic has its page;
// file names are unique and stay inside the site; every text file is UTF-8; contextes.json is JSON;
// no text of the author's becomes a script.
#include "fuzz/FuzzCheck.h"
#include "winhelp/html/HtmlNames.h"
#include "winhelp/html/HtmlSite.h"
#include "winhelp/model/Diagnostics.h"
#include "winhelp/project/RtfReader.h"

#include <QJsonDocument>
#include <QSet>

namespace {

bool insideTheSite(const QString& name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return false;
    for (const QString& part : name.split(QLatin1Char('/')))
        if (part.isEmpty() || part.startsWith(QLatin1Char('.')))
            return false;
    return true;
}

bool isText(const QString& name)
{
    for (const char* ext : {".html", ".js", ".css", ".json"})
        if (name.endsWith(QLatin1String(ext)))
            return true;
    return false;
}

} // namespace

TYX_FUZZ_ENTRY
{
    hlp::HelpProject project;
    hlp::HelpDocument document;
    hlp::Diagnostics diagnostics;
    hlp::RtfReader(document, diagnostics).read(fuzz::input(data, size), QStringLiteral("f.rtf"));
    if (document.topics.empty())
        return 0;
    const std::vector<std::pair<QByteArray, int>> aliases;
    const std::vector<hlp::html::SiteFile> files =
        hlp::html::makeSite(hlp::ReadHelp{project, document, 0, aliases, diagnostics}, {});

    QSet<QString> names;
    for (const hlp::html::SiteFile& f : files) {
        FUZZ_CHECK(insideTheSite(f.name));
        const QString folded = f.name.toLower();
        FUZZ_CHECK(!names.contains(folded));
        names.insert(folded);
        if (isText(f.name))
            FUZZ_CHECK(QString::fromUtf8(f.bytes).toUtf8() == f.bytes);
        if (f.name.endsWith(QLatin1String(".html"))) {
            // The site's own scripts only: two on every page, three on the search page.
            const qsizetype scripts = QString::fromUtf8(f.bytes).count(QLatin1String("<script"), Qt::CaseInsensitive);
            FUZZ_CHECK(scripts == (f.name == QLatin1String("recherche.html") ? 3 : 2));
        }
        if (f.name == QLatin1String("contextes.json"))
            FUZZ_CHECK(!QJsonDocument::fromJson(f.bytes).isNull());
    }
    const hlp::html::SiteNames pages(document, 0, aliases);
    for (size_t i = 0; i < document.topics.size(); ++i)
        FUZZ_CHECK(names.contains((pages.page(int(i)) + QLatin1String(".html")).toLower()));
    return 0;
}
