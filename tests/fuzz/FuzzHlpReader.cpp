// The help file reader on any bytes: real help files damaged every way. Properties: no crash, no
// sanitizer report, no hang; a file that is refused says why; a file that is read gives a model
// every writer can take (each topic named, every index into rows, cells, pictures and link
// targets in range); the structure checker survives the same bytes.
#include "fuzz/FuzzCheck.h"
#include "winhelp/reader/HelpFileRead.h"
#include "winhelp/reader/HlpFileReader.h"

TYX_FUZZ_ENTRY
{
    const QByteArray bytes = fuzz::input(data, size);
    const hlp::HelpFileRead r = hlp::readHelpBytes(bytes);
    if (!r.help) {
        FUZZ_CHECK(!r.error.isEmpty());
    } else {
        const hlp::HelpDocument& doc = r.help->document;
        FUZZ_CHECK(!doc.topics.empty());
        FUZZ_CHECK(r.help->contentsTopic >= 0 && static_cast<size_t>(r.help->contentsTopic) < doc.topics.size());
        for (const hlp::Topic& t : doc.topics) {
            FUZZ_CHECK(!t.contexts.isEmpty() && !t.contexts.front().isEmpty());
            for (const hlp::Paragraph& p : t.paragraphs) {
                FUZZ_CHECK(p.row < static_cast<int>(t.rows.size()));
                if (p.row >= 0)
                    FUZZ_CHECK(p.cell >= 0 && static_cast<size_t>(p.cell) < t.rows[static_cast<size_t>(p.row)].cells.size());
                int open = 0;
                for (const hlp::Item& item : p.items) {
                    if (item.kind == hlp::ItemKind::Picture)
                        FUZZ_CHECK(item.picture >= 0 && static_cast<size_t>(item.picture) < doc.pictures.size());
                    if (item.kind == hlp::ItemKind::HotspotBegin) {
                        FUZZ_CHECK(item.linkTarget < static_cast<int>(t.links.size()));
                        FUZZ_CHECK(open == 0);
                        ++open;
                    }
                    if (item.kind == hlp::ItemKind::HotspotEnd)
                        --open;
                    FUZZ_CHECK(open >= 0);
                }
                FUZZ_CHECK(open == 0);
            }
        }
    }
    // The checker, as F1 uses it on the program's own help: the lookups too.
    hlp::HlpFile checker;
    checker.load(bytes);
    checker.keywords();
    checker.mapOffset(1);
    checker.contextOffset("IDH_Accueil");
    checker.keywordOffsets("a");
    checker.titleAt(0);
    return 0;
}
