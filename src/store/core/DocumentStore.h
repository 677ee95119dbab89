#pragma once
// The open document and the store's state, with every rule that needs no widget. The topic editor
// window owns one and moves the page on screen in and out of it.
#include "store/core/DocumentHistory.h"
#include "store/core/HeaderBlock.h"
#include "store/core/TopicRecord.h"

#include <QString>
#include <QStringList>

namespace store {

// The project file a chosen name stands for: the name with the extension ".hpa", or the existing
// file whose extension differs from it only in letter case (PROJET.HPA), so that such a file
// opens and a save onto it asks before replacing it.
QString projectFilePath(const QString& chosen);

// The check of Open over a document's lines (DocumentStore::altered); the build says so too.
bool isAltered(const QStringList& lines, int pageCount, int popupCount);

class DocumentStore {
public:
    QStringList DocumentLines;
    QStringList ScratchLines;
    int CurrentPage = 0;
    int PageCount = 1;
    int PopupCount = 0;
    int PageLevel = 1;
    QString SeeAlsoTarget;
    bool DocumentModified = false;
    bool PageModified = false;
    QString ProjectFileName;

    // An empty document: the header block, then the default project block.
    void createEmpty(const FieldLook& title, const FieldLook& body);

    // Reads a project file's lines; false with the system's reason when it exists but cannot be read.
    // `missing` tells that there was no such file (nothing changes then).
    bool load(const QString& path, bool* missing, QString* error);
    void countBlocks();
    // Topic open tags minus topic close tags; not zero means the file was altered.
    int tagBalance() const;
    // The check of Open: the topic tags do not pair up, a block as every reader finds it
    // (blockExtent) has no close tag or holds a line that the count takes for a tag, or a number
    // opens a second block (readers see only the first), or a tag carries a number past 9999 (no
    // reader finds it). Counts that pair up by chance would otherwise let an edit and the next check
    // disagree, or let a save change what the next opening shows.
    bool altered() const { return isAltered(DocumentLines, PageCount, PopupCount); }
    // Rebuilds the document from its blocks without losing any: header and project blocks kept (or
    // made), every topic block in number order, then every popup block; unclosed blocks closed. A
    // second block of a number gets the next free one, text between blocks joins the block before
    // it, and a kept line that the count would take for a tag is made text, so the result passes
    // the check.
    void repair(const FieldLook& title, const FieldLook& body);

    // The page `CurrentPage`: fills `f` and the level / see-also state. False when it has no block
    // (then the fields are empty and `PageLevel` keeps its value). `block` receives the page's block
    // lines as they stand (empty without a block).
    bool readPage(TopicFields& f, QStringList* block = nullptr);
    // The block page `CurrentPage` gets from these fields (empty when the title is blank), and
    // whether it differs from the block the document holds now.
    QStringList pageBlock(const TopicFields& f) const;
    bool pageDiffers(const TopicFields& f) const;
    // Whether the page's block in the document (none: empty) reads other than `block`.
    bool pageBlockDiffers(const QStringList& block) const;
    // Writes the page back when it changed (any field: a new block is an unsaved change); `bodyModified` is the body editor's own flag. When it
    // wrote, `block` receives the page's new block lines (empty when the page lost its block).
    void writePage(const TopicFields& f, bool bodyModified, QStringList* block = nullptr);
    // Closes the gap left by page `CurrentPage`.
    void Renum();
    // Rebuilds [MAP] and gives the bytes a save writes. `lossy` tells that some character had no
    // byte in the code page and is written as '?'.
    QByteArray saveBytes(bool* lossy = nullptr);
    // The project block follows a new name, then saveBytes is written so that a failure leaves the
    // old file byte for byte; false with the
    // reason (French). The document stays marked modified then.
    bool save(const QString& path, QString* error, bool* lossy = nullptr);

    // The history of the document's changes (Undo, Redo).
    DocumentHistory History;
    StoreState state() const { return {PageCount, PopupCount, CurrentPage}; }
    // A document just opened or made: the history starts again from it.
    void startHistory();
    // Records the changes since the last record as one step (false when there were none).
    bool record(const QString& label);
    // Turn the document back by one step, or forward again: the lines, the counts and the page
    // the step was made on come back, and the document counts as changed unless it is now as it
    // was last saved. Changes not recorded yet are recorded first. `label` receives the step's name.
    DocumentHistory::Replay undo(QString* label = nullptr);
    DocumentHistory::Replay redo(QString* label = nullptr);

    bool canAddPage() const { return PageCount < MaxPages; }
    static constexpr int MaxPages = 10000;

private:
    DocumentHistory::Replay replay(bool forward, QString* label);
    void unshadow(int at, int from);
};

} // namespace store
