// Undo and redo. Two histories meet here, and Ctrl+Z always takes the nearest one:
// - the typing in a field since the page was last stored, kept by the field itself: Ctrl+Z and
//   Ctrl+Y in the title, the body or the keywords act on it while it has something to undo;
// - the document's steps (store::DocumentHistory): every store of a changed page and every command
//   that changes the document. When the field with the focus has nothing left to undo, the page's
//   edits not stored yet become a step and the last step is undone, its page shown again.
// Storing a page hands its typing over to the document's history, so nothing is undone twice.
#include "editor/windows/PagesHlp.h"

#include "editor/core/PasteText.h"
#include "editor/windows/BodyText.h"
#include "store/core/TextRules.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace {

const char* const NothingToUndo = "Rien à annuler.";
const char* const NothingToRedo = "Rien à rétablir.";
const char* const UnnamedStep = "modification du document";
const char* const OutOfStep = "Le document a changé hors de l'historique : les étapes à annuler sont effacées.";

} // namespace

void TPagesHlp::setStepLabel(const QString& label)
{
    stepLabel_ = label;
}

void TPagesHlp::settle()
{
    if (commandDepth_ > 0)
        return;
    store_.record(stepLabel_.isEmpty() ? QString::fromUtf8(UnnamedStep) : stepLabel_);
    stepLabel_.clear();
}

void TPagesHlp::recordDerived()
{
    store_.History.record(store_.DocumentLines, store_.state(), QString(), true);
}

QString TPagesHlp::pageName() const
{
    // The title as stored; a page never stored is named by its field.
    if (syncedBlock_.size() > 2 && !syncedBlock_[2].isEmpty())
        return syncedBlock_[2].chopped(1);
    return store::TrimSpaces(Edit1->text());
}

void TPagesHlp::clearFieldHistories()
{
    Memo1->document()->clearUndoRedoStacks();
    for (QLineEdit* e : {Edit1, Edit2}) {
        if (!e->isUndoAvailable() && !e->isRedoAvailable())
            continue;
        // Setting the text a line edit holds forgets its history and changes nothing else.
        const int caret = e->cursorPosition();
        const QSignalBlocker quiet(e);
        const QString text = e->text();
        e->setText(QString());
        e->setText(text);
        e->setCursorPosition(caret);
    }
}

bool TPagesHlp::undoInField(bool redo)
{
    const auto done = [this, redo](const char* where) {
        Q_EMIT statusMessage(QString::fromUtf8(redo ? "Rétabli : frappe dans %1." : "Annulé : frappe dans %1.")
                                 .arg(QString::fromUtf8(where)));
        return true;
    };
    if (Memo1->hasFocus()) {
        QTextDocument* d = Memo1->document();
        if (redo ? !d->isRedoAvailable() : !d->isUndoAvailable())
            return false;
        redo ? Memo1->redo() : Memo1->undo();
        return done("le texte");
    }
    for (QLineEdit* e : {Edit1, Edit2}) {
        if (!e->hasFocus())
            continue;
        if (redo ? !e->isRedoAvailable() : !e->isUndoAvailable())
            return false;
        redo ? e->redo() : e->undo();
        return done(e == Edit1 ? "le titre" : "les mots-clés");
    }
    return false;
}

void TPagesHlp::afterReplay(const QString& said, const QString& label)
{
    // The header block may have come back with other fonts, and line numbers have moved.
    litHeader();
    search_ = editor::SearchPosition{};
    LitFiche();
    Q_EMIT statusMessage(said + QStringLiteral(" : ") + label + u'.');
}

void TPagesHlp::Annuler()
{
    if (undoInField(false))
        return;
    runCommand([this] {
        EcritFiche();
        QString label;
        switch (store_.undo(&label)) {
        case store::DocumentHistory::Replay::Nothing:
            Q_EMIT statusMessage(QString::fromUtf8(NothingToUndo));
            return;
        case store::DocumentHistory::Replay::OutOfStep:
            Q_EMIT statusMessage(QString::fromUtf8(OutOfStep));
            return;
        case store::DocumentHistory::Replay::Done:
            afterReplay(QStringLiteral("Annulé"), label);
        }
    });
}

void TPagesHlp::Retablir()
{
    if (undoInField(true))
        return;
    runCommand([this] {
        EcritFiche();
        QString label;
        switch (store_.redo(&label)) {
        case store::DocumentHistory::Replay::Nothing:
            Q_EMIT statusMessage(QString::fromUtf8(NothingToRedo));
            return;
        case store::DocumentHistory::Replay::OutOfStep:
            Q_EMIT statusMessage(QString::fromUtf8(OutOfStep));
            return;
        case store::DocumentHistory::Replay::Done:
            afterReplay(QString::fromUtf8("Rétabli"), label);
        }
    });
}

void TPagesHlp::CollerTexte()
{
    // One edit, so that one Ctrl+Z takes it back with the characters replaced in it.
    bodytext::insertAsOneEdit(Memo1, editor::typedText(QApplication::clipboard()->text()));
}
