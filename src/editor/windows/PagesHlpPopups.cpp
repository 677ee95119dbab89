// The popup commands: a new popup from the body's selection, one chosen from the list, one reached
// from its link. The editor's fields keep every edit: a new link goes into them, and the page is
// stored before an existing popup is edited so that a removal can renumber its links too.
#include "editor/windows/PagesHlp.h"

#include "editor/core/PopupCommands.h"
#include "editor/windows/BodyText.h"
#include "editor/windows/TLstPopUp.h"
#include "editor/windows/TPopUp.h"
#include "platform/windows/Prompts.h"
#include "store/core/Blocks.h"
#include "store/core/PopupBlocks.h"

#include <QPlainTextEdit>

namespace {

// Edits the popup of `tag` in the popup editor; true when the popup was removed.
bool editPopup(TPagesHlp& p, const QString& tag)
{
    auto& d = p.doc();
    p.EcritFiche();
    if (!p.PopUp->Modif(d.DocumentLines, tag))
        return false;
    const QString title = store::popupTitle(d.DocumentLines, store::findTag(d.DocumentLines, tag));
    p.setStepLabel(QStringLiteral("modification de la PopUp « %1 »").arg(title));
    prompts().showModal(*p.PopUp);
    QString unused;
    if (p.PopUp->Result(d.DocumentLines, d.DocumentModified, unused) != TPopUp::Outcome::Removed)
        return false;
    p.setStepLabel(QStringLiteral("suppression de la PopUp « %1 »").arg(title));
    d.PopupCount = qMax(0, d.PopupCount - 1);
    return true;
}

} // namespace

void TPagesHlp::LienPopUp()
{
    if (!PopUp)
        return;
    runCommand([this] {
        const QString word = bodytext::exactSelection(Memo1->textCursor());
        EcritFiche(); // the page's own edits first: the new popup and its link are one step
        if (word.isEmpty()) {
            prompts().tell(this, QString::fromUtf8("Il faut sélectionner un mot"), Prompts::Kind::Warning);
            return;
        }
        if (store::newPopupNumber(store_.DocumentLines) < 0) {
            prompts().tell(this,
                QString::fromUtf8("Le projet compte déjà %1 PopUp : impossible d'en ajouter une autre.")
                    .arg(store::MaxBlocks),
                Prompts::Kind::Warning);
            return;
        }
        PopUp->Init(store_.DocumentLines, word);
        prompts().showModal(*PopUp);
        QString link = word;
        if (PopUp->Result(store_.DocumentLines, store_.DocumentModified, link) != TPopUp::Outcome::Added)
            return;
        ++store_.PopupCount;
        setStepLabel(QStringLiteral("nouvelle PopUp « %1 »").arg(word));
        QTextCursor c = Memo1->textCursor();
        c.insertText(link);
        Memo1->setTextCursor(c);
        EcritFiche(); // the link with its popup, in the same step
        forgetBodyHistory();
    });
}

void TPagesHlp::ListePopUp()
{
    if (!PopUp || !LstPopUp)
        return;
    bool removed = false;
    runCommand([this, &removed] {
        LstPopUp->Init(store_.DocumentLines);
        prompts().showModal(*LstPopUp);
        const int k = LstPopUp->ItemIndex();
        if (k < 0)
            return;
        const QString tag = store::popupOpenTag(k);
        if (store::findTag(store_.DocumentLines, tag) < 0)
            return;
        removed = editPopup(*this, tag);
    });
    if (removed)
        showRenumberedLinks();
}

void TPagesHlp::ModifPopUp()
{
    if (!PopUp)
        return;
    bool removed = false;
    runCommand([this, &removed] {
        const editor::PopupReference ref = editor::popupReference(bodytext::exactSelection(Memo1->textCursor()));
        if (ref.kind == editor::PopupReference::Nothing)
            return;
        const QString tag = QStringLiteral("<POPUP") + ref.digits + QLatin1Char('>');
        if (ref.kind == editor::PopupReference::Unknown || store::findTag(store_.DocumentLines, tag) < 0) {
            prompts().tell(this, QStringLiteral("Identificateur non reconnu"), Prompts::Kind::Warning);
            return;
        }
        removed = editPopup(*this, tag);
    });
    if (removed)
        showRenumberedLinks();
}

void TPagesHlp::forgetBodyHistory()
{
    // The body's own undo knows text, not popups: undoing a new link would leave its popup linked
    // from nowhere, and a step made before a renumbering would bring back a number that now names
    // another popup, or none. A popup command is a step of the document, not of the body's typing.
    Memo1->document()->clearUndoRedoStacks();
}

void TPagesHlp::showRenumberedLinks()
{
    // Even when the page kept its text, its undo steps may hold links under their old numbers.
    forgetBodyHistory();
    const int caret = Memo1->textCursor().position();
    const bool bodyHadFocus = Memo1->hasFocus();
    if (!blockChangedUnderFields())
        return;
    LitFiche();
    QTextCursor c = Memo1->textCursor();
    c.setPosition(qMin(caret, Memo1->document()->characterCount() - 1));
    Memo1->setTextCursor(c);
    if (bodyHadFocus)
        Memo1->setFocus();
}
