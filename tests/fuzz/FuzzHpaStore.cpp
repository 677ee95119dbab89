// A project file as Open reads it (the count of tags, the check and, when it fails, the repair),
// every page read and stored again as the editor does, then saved. Properties: a page just stored
// is the page read back; the repaired document passes the check; no page is lost; and saving is a
// fixed point (save, load, save gives the same bytes, the same pages; after a few saves when
// the file was kept altered).
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

// Every page that had a block still has one (blocks held in others may give lines to each other).
void noPageLost(const Pages& before, const Pages& after)
{
    for (const auto& [p, f] : before)
        FUZZ_CHECK(after.count(p) == 1);
}

// One pass of the editor over the document, then a save; the saved bytes are opened again.
QByteArray editAndSave(store::DocumentStore& doc, bool repair)
{
    storeAll(doc);
    const QByteArray saved = doc.saveBytes();
    open(doc, saved, repair);
    return saved;
}

// Saving what was read, with no edit in between, gives the same bytes twice, whatever the answer
// to the question.
void plainResave(const QByteArray& bytes, bool repair)
{
    store::DocumentStore doc;
    open(doc, bytes, repair);
    const QByteArray once = doc.saveBytes();
    open(doc, once, repair);
    FUZZ_CHECK(doc.saveBytes() == once);
}

void roundTrip(const QByteArray& bytes, bool repair)
{
    store::DocumentStore doc;
    open(doc, bytes, repair);
    const bool settled = !doc.altered();
    const Pages before = readAll(doc);
    QByteArray once = editAndSave(doc, repair);
    const Pages stored = readAll(doc);
    noPageLost(before, stored);
    if (settled) {
        // A document that passes the check keeps each page's title and as many lines.
        for (const auto& [p, f] : before) {
            const store::TopicFields& g = stored.at(p);
            FUZZ_CHECK(store::TrimSpaces(f.title).isEmpty() || g.title == store::protectBodyLine(f.title)
                || g.title == f.title);
            FUZZ_CHECK(g.body.size() == f.body.size());
        }
    } else {
        // An altered file kept as read (the question answered Non) is saved as read; each pass
        // of the editor closes or protects what it stores, which may change the count of pages
        // and so the pages the next pass reaches. It settles within a few saves, losing nothing.
        Pages pages = stored;
        for (int round = 0; round < 3; ++round) {
            const QByteArray again = editAndSave(doc, repair);
            const Pages next = readAll(doc);
            noPageLost(pages, next);
            pages = next;
            if (again == once)
                break;
            once = again;
        }
    }
    const Pages last = readAll(doc);
    const QByteArray twice = editAndSave(doc, repair);
    FUZZ_CHECK(twice == once);
    FUZZ_CHECK(readAll(doc) == last);
}

} // namespace

TYX_FUZZ_ENTRY
{
    const QByteArray bytes = fuzz::input(data, size);
    for (const bool repair : {true, false}) { // "Le fichier a été altéré. Restaurer ?" Oui, then Non
        plainResave(bytes, repair);
        roundTrip(bytes, repair);
    }
    return 0;
}
