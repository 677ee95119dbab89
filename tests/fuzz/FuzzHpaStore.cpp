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

Pages readAll(store::DocumentStore& doc)
{
    Pages pages;
    for (int p = 0; p < doc.PageCount; ++p) {
        doc.CurrentPage = p;
        store::TopicFields f;
        if (doc.readPage(f))
            pages[p] = f;
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
    const Pages before = readAll(doc);
    storeAll(doc);
    const QByteArray once = doc.saveBytes();

    open(doc, once, repair);
    const Pages stored = readAll(doc);
    // No page lost: every page that had a block still has one, with its title and as many lines.
    for (const auto& [p, f] : before) {
        const auto it = stored.find(p);
        FUZZ_CHECK(it != stored.end());
        FUZZ_CHECK(store::TrimSpaces(f.title).isEmpty() || it->second.title == store::protectBodyLine(f.title)
            || it->second.title == f.title);
        FUZZ_CHECK(it->second.body.size() == f.body.size());
    }
    storeAll(doc);
    const QByteArray twice = doc.saveBytes();
    FUZZ_CHECK(twice == once);
    open(doc, twice, repair);
    FUZZ_CHECK(readAll(doc) == stored);
}

} // namespace

TYX_FUZZ_ENTRY
{
    const QByteArray bytes = fuzz::input(data, size);
    roundTrip(bytes, true);  // "Le fichier a été altéré. Restaurer ?" answered Oui
    roundTrip(bytes, false); // ... and Non
    return 0;
}
