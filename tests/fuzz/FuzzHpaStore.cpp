// A project file as Open reads it (the count of tags, the check and, when it fails, the repair),
// every page read and stored again as the editor does, then saved. Properties: a page just stored
// is the page read back; the repaired document passes the check; no page is lost; and saving is a
// fixed point (save, load, save gives the same bytes, the same pages).
#include "fuzz/FuzzCheck.h"
#include "platform/core/TextFile.h"
#include "store/core/Blocks.h"
#include "store/core/DocumentStore.h"
#include "store/core/TextRules.h"

#include <map>

namespace {

using Pages = std::map<int, store::TopicFields>;

void open(store::DocumentStore& doc, const QByteArray& bytes, bool repair)
{
    doc = store::DocumentStore();
    doc.DocumentLines = textfile::splitLines(bytes);
    doc.countBlocks();
    if (repair && doc.altered()) {
        doc.repair(store::FieldLook(), store::FieldLook());
        FUZZ_CHECK(!doc.altered()); // the question does not come back
    }
}

// Every page that has a block, whether navigation reaches it or not (a gap in the numbers hides
// the pages after it, and the count of tags may change when a second block of a number is made
// text): a page is lost only when its block is gone.
Pages readAll(store::DocumentStore& doc)
{
    Pages pages;
    for (const QString& line : std::as_const(doc.DocumentLines)) {
        const int n = store::tagNumber(line, u"<BLOC", true);
        if (n < 0 || pages.count(n))
            continue;
        doc.CurrentPage = n;
        store::TopicFields f;
        if (doc.readPage(f))
            pages[n] = f;
    }
    return pages;
}

// Reads and stores every page that has a title (an empty title would delete the page, as the
// editor does on purpose).
void storeAll(store::DocumentStore& doc)
{
    for (int p = 0; p < doc.PageCount; ++p) {
        doc.CurrentPage = p;
        store::TopicFields f;
        if (!doc.readPage(f) || store::TrimSpaces(f.title).isEmpty())
            continue;
        QStringList written, read;
        doc.PageModified = true;
        doc.writePage(f, true, &written);
        store::TopicFields again;
        FUZZ_CHECK(doc.readPage(again, &read));
        FUZZ_CHECK(read == written); // the page stored is the page found
    }
}

void roundTrip(const QByteArray& bytes, bool repair)
{
    store::DocumentStore doc;
    open(doc, bytes, repair);
    // An altered file kept as read (the question answered Non) may change at its first save (a
    // block closed, a second block of a number made text): it is a fixed point from then on.
    const bool settled = !doc.altered();
    const Pages before = readAll(doc);
    storeAll(doc);
    QByteArray once = doc.saveBytes();

    open(doc, once, repair);
    const Pages stored = readAll(doc);
    // No page lost: every page that had a block still has one and, in a document that passes
    // the check, its title and as many lines (blocks held in others may give lines to each other).
    for (const auto& [p, f] : before) {
        const auto it = stored.find(p);
        FUZZ_CHECK(it != stored.end());
        if (!settled)
            continue;
        FUZZ_CHECK(store::TrimSpaces(f.title).isEmpty() || it->second.title == store::protectBodyLine(f.title)
            || it->second.title == f.title);
        FUZZ_CHECK(it->second.body.size() == f.body.size());
    }
    storeAll(doc);
    QByteArray twice = doc.saveBytes();
    if (!settled) {
        once = twice;
        open(doc, once, repair);
        storeAll(doc);
        twice = doc.saveBytes();
    }
    FUZZ_CHECK(twice == once);
    open(doc, twice, repair);
    const Pages last = readAll(doc);
    FUZZ_CHECK(settled ? last == stored : last.size() == stored.size());
}

} // namespace

TYX_FUZZ_ENTRY
{
    const QByteArray bytes = fuzz::input(data, size);
    roundTrip(bytes, true);  // "Le fichier a été altéré. Restaurer ?" answered Oui
    roundTrip(bytes, false); // ... and Non
    return 0;
}
