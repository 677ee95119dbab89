// Search and replace across the stored topics, and the import of a text file into the body.
#include "editor/windows/PagesHlp.h"

#include "editor/core/ImportText.h"
#include "editor/windows/ImportProgress.h"
#include "editor/windows/SearchDialogs.h"
#include "platform/core/TextDecode.h"
#include "platform/windows/FieldText.h"
#include "platform/windows/Prompts.h"
#include "store/core/TextRules.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace {

const char* const NotFound = "Chaîne not trouvée";
const char* const NoTitle =
    "Cette page n'a pas de titre : son texte serait perdu. Donnez-lui un titre avant de chercher ou de remplacer.";
const char* const TitleKept = "Le titre ne peut pas être vide : il n'a pas été remplacé.";

void openModeless(QDialog* d)
{
    d->show();
    d->raise();
    d->activateWindow();
}

} // namespace

void TPagesHlp::createSearchDialogs()
{
    FindDialog1 = new TFindDialog(this);
    ReplaceDialog1 = new TReplaceDialog(this);
    connect(FindDialog1, &TFindDialog::Find, this, &TPagesHlp::FindDialog1Find);
    connect(ReplaceDialog1, &TFindDialog::Find, this, &TPagesHlp::ReplaceDialog1Find);
    connect(ReplaceDialog1, &TReplaceDialog::Replace, this, &TPagesHlp::ReplaceDialog1Replace);
}

void TPagesHlp::Chercher()
{
    search_ = editor::searchStart(store_.DocumentLines);
    openModeless(FindDialog1);
}

void TPagesHlp::Remplacer()
{
    search_ = editor::searchStart(store_.DocumentLines);
    openModeless(ReplaceDialog1);
}

void TPagesHlp::Continuer()
{
    // Nothing searched yet: there is no text to go on with, so ask for one.
    if (FindDialog1->FindText().isEmpty()) {
        Chercher();
        return;
    }
    runCommand([this] {
        if (!pageWouldBeLost())
            Search(FindDialog1->FindText());
    });
}

void TPagesHlp::FindDialog1Find()
{
    runCommand([this] {
        if (!pageWouldBeLost())
            Search(FindDialog1->FindText());
    });
}

void TPagesHlp::ReplaceDialog1Find()
{
    runCommand([this] {
        if (!pageWouldBeLost())
            Search(ReplaceDialog1->FindText());
    });
}

bool TPagesHlp::pageWouldBeLost()
{
    // A page with text but no title has no block: storing it keeps nothing, and the page read next
    // (or this one read again) would replace its text on screen.
    if (!store::TrimSpaces(Edit1->text()).isEmpty()
        || (fieldtext::exactText(Memo1).isEmpty() && store::TrimSpaces(Edit2->text()).isEmpty()))
        return false;
    prompts().tell(this, QString::fromUtf8(NoTitle), Prompts::Kind::Warning);
    return true;
}

bool TPagesHlp::Search(const QString& text)
{
    Edit1->deselect();
    QTextCursor none = Memo1->textCursor();
    none.clearSelection();
    Memo1->setTextCursor(none);
    // The page on screen is stored first, so loading the match never drops an edit.
    EcritFiche();
    const auto match = editor::searchStep(store_.DocumentLines, search_, text);
    if (!match) {
        prompts().tell(this, QString::fromUtf8(NotFound));
        FindDialog1->hide();
        return false;
    }
    store_.CurrentPage = match->page;
    LitFiche();
    QRect shown; // where the match is on screen
    if (match->inTitle) {
        Edit1->setFocus();
        Edit1->setSelection(match->start, match->length);
        shown = QRect(Edit1->mapToGlobal(QPoint(0, 0)), Edit1->size());
    } else {
        QTextCursor c(Memo1->document());
        c.setPosition(match->start);
        c.setPosition(match->start + match->length, QTextCursor::KeepAnchor);
        Memo1->setFocus();
        Memo1->setTextCursor(c); // scrolled into view
        QTextCursor start(Memo1->document());
        start.setPosition(match->start);
        shown = Memo1->cursorRect(start).united(Memo1->cursorRect(c));
        shown.translate(Memo1->viewport()->mapToGlobal(QPoint(0, 0)));
    }
    // The dialog that found it must not hide it.
    FindDialog1->keepClearOf(shown);
    ReplaceDialog1->keepClearOf(shown);
    return true;
}

void TPagesHlp::ReplaceDialog1Replace(bool replaceAll)
{
    if (replaceAll) {
        RemplacerTout();
        return;
    }
    runCommand([this] {
        if (pageWouldBeLost())
            return;
        // The selection is what the last step found, or what the author chose since.
        const QString with = ReplaceDialog1->ReplaceText();
        setStepLabel(QStringLiteral("remplacement par « %1 »").arg(with));
        if (Edit1->hasSelectedText()) {
            // An empty title would delete the page.
            QString after = Edit1->text();
            after.replace(Edit1->selectionStart(), Edit1->selectedText().size(), with);
            if (store::TrimSpaces(after).isEmpty()) {
                prompts().tell(this, QString::fromUtf8(TitleKept), Prompts::Kind::Warning);
                return;
            }
            Edit1->insert(with);
        }
        QTextCursor c = Memo1->textCursor();
        if (c.hasSelection()) {
            c.insertText(with);
            Memo1->setTextCursor(c);
        }
        Memo1->document()->setModified(true);
        store_.DocumentModified = true;
        EcritFiche();
        search_ = editor::searchStart(store_.DocumentLines);
        Search(ReplaceDialog1->FindText());
    });
}

void TPagesHlp::RemplacerTout()
{
    runCommand([this] {
        if (pageWouldBeLost())
            return;
        EcritFiche();
        setStepLabel(QStringLiteral("remplacement de « %1 » par « %2 »").arg(ReplaceDialog1->FindText(), ReplaceDialog1->ReplaceText()));
        QList<int> keptTitles;
        const int replaced = editor::replaceAll(store_.DocumentLines, ReplaceDialog1->FindText(),
            ReplaceDialog1->ReplaceText(), &keptTitles);
        ReplaceDialog1->hide();
        LitFiche();
        prompts().tell(this, editor::replaceDoneMessage(replaced, keptTitles));
        store_.DocumentModified = true;
    });
}

void TPagesHlp::Importer()
{
    runCommand([this] {
        const QString name = prompts().openFileName(this, textdecode::textFileFilter(), QStringLiteral("*.txt"), QString(),
            QStringLiteral("Importer fichier"));
        if (name.isEmpty() || !QFileInfo(name).isFile())
            return;
        const qint64 size = QFileInfo(name).size();
        if (const QString why = editor::importRefusal(name, size, Memo1->document()->characterCount()); !why.isEmpty()) {
            prompts().tell(this, why, Prompts::Kind::Warning);
            return;
        }
        const auto cannotRead = [&](const QString& why) {
            prompts().tell(this, QStringLiteral("Impossible de lire le fichier « %1 » : %2").arg(name, why), Prompts::Kind::Error);
        };
        const QString step = QStringLiteral("importation de « %1 »").arg(QFileInfo(name).fileName());
        editor::ImportedText imported;
        QString error;
        if (size > ImportProgress::Piece) {
            // A large file goes in a piece at a time under a progress dialog, which "Annuler" stops.
            // The page's own edits first, then the import as one step of the document.
            EcritFiche();
            setStepLabel(step);
            ImportProgress progress(this, Memo1, name);
            sanitizing_ = true; // the text comes in already fit for the document
            prompts().showModal(progress);
            sanitizing_ = false;
            if (!progress.imported()) {
                if (!progress.error().isEmpty())
                    cannotRead(progress.error());
                return;
            }
            imported.replaced = progress.replaced();
            Memo1->setFocus();
            EcritFiche();
        } else {
            if (!editor::readImport(name, imported, &error)) {
                cannotRead(error);
                return;
            }
            if (!imported.text.isEmpty()) {
                EcritFiche();
                setStepLabel(step);
                QTextCursor c = Memo1->textCursor();
                c.insertText(imported.text);
                Memo1->setTextCursor(c);
                Memo1->setFocus();
                EcritFiche();
            }
        }
        if (imported.replaced > 0)
            prompts().tell(this, editor::replacedMessage(imported.replaced), Prompts::Kind::Warning);
    });
}
