// What a help file becomes, on any bytes the reader takes: its project and its site, in memory.
// Properties: no crash, hang or sanitizer report; the project is refused with a reason, or its
// lines hold no line end and open in the store as they are (no altered-file question), with as
// many topic and popup blocks as it says; every topic has its page in the site.
#include "fuzz/FuzzCheck.h"
#include "platform/core/Cp1252.h"
#include "store/core/DocumentStore.h"
#include "winhelp/html/HtmlNames.h"
#include "winhelp/html/HtmlSite.h"
#include "winhelp/model/Diagnostics.h"
#include "winhelp/reader/HelpFileRead.h"
#include "winhelp/writer/ProjectWriter.h"

TYX_FUZZ_ENTRY
{
    const hlp::HelpFileRead r = hlp::readHelpBytes(fuzz::input(data, size));
    if (!r.help)
        return 0;
    const hlp::HelpProjectFile made = hlp::makeHelpProject(*r.help, QStringLiteral("fuzz.hpa"));
    if (made.error.isEmpty()) {
        store::DocumentStore doc;
        for (const QByteArray& line : made.lines) {
            FUZZ_CHECK(!line.contains('\r') && !line.contains('\n') && !line.contains('\0'));
            doc.DocumentLines << cp1252::decode(line);
        }
        doc.countBlocks();
        FUZZ_CHECK(!doc.altered());
        FUZZ_CHECK(doc.PageCount == made.topics && doc.PopupCount == made.popups);
    } else {
        FUZZ_CHECK(made.lines.isEmpty());
    }
    hlp::Diagnostics diagnostics;
    const std::vector<hlp::html::SiteFile> site = hlp::html::makeSite(r.help->view(diagnostics), {});
    const hlp::html::SiteNames names(r.help->document, r.help->contentsTopic, r.help->aliases);
    QSet<QString> files;
    for (const hlp::html::SiteFile& f : site)
        files.insert(f.name);
    for (size_t t = 0; t < r.help->document.topics.size(); ++t)
        FUZZ_CHECK(files.contains(names.page(static_cast<int>(t)) + QStringLiteral(".html")));
    return 0;
}
