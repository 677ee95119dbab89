// The editor's commands over the whole list of topics: page index, hierarchy, see-also link and
// properties. Each shows its dialog through the modal seam and applies what it hands back. And the
// links to a page whose title took another key, asked for once as the page is stored.
#include "editor/windows/PagesHlp.h"

#include "editor/core/LinkFollow.h"
#include "editor/core/SeeAlso.h"
#include "editor/windows/LienAussi.h"
#include "editor/windows/Propriete.h"
#include "platform/windows/Prompts.h"
#include "store/core/Blocks.h"
#include "store/core/PageOrder.h"
#include "store/core/TextRules.h"
#include "store/windows/PageListe.h"
#include "store/windows/PageOut.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <utility>

void TPagesHlp::Index()
{
    EcritFiche();
    TPageListe* d = linkDialogs_.pageListe;
    if (!d)
        return;
    runCommand([this, d] {
        setStepLabel(QStringLiteral("ordre des rubriques"));
        d->Init(store_.DocumentLines, store_.CurrentPage);
        prompts().showModal(*d);
        const store::Renumbering r = d->Result(store_.DocumentLines, store_.DocumentModified);
        sayRefused(r);
        const int chosen = d->chosenTopic();
        if (chosen < 0) {
            followOwnTopic(r);
            return;
        }
        store_.CurrentPage = r.newNumber(chosen);
        LitFiche();
    });
}

void TPagesHlp::Niveaux()
{
    EcritFiche();
    TPageOut* d = linkDialogs_.pageOut;
    if (!d)
        return;
    runCommand([this, d] {
        setStepLabel(QStringLiteral("hiérarchie des rubriques"));
        d->Init(store_.DocumentLines, store_.CurrentPage);
        prompts().showModal(*d);
        const store::Renumbering r = d->Result(store_.DocumentLines, store_.DocumentModified);
        sayRefused(r);
        followOwnTopic(r);
    });
}

void TPagesHlp::sayRefused(const store::Renumbering& renumbered)
{
    if (renumbered.refused)
        prompts().tell(this,
            QString::fromUtf8("L'ordre des pages n'a pas été changé : une balise de page figure deux fois dans le "
                              "fichier. Rouvrez-le et acceptez de le restaurer."),
            Prompts::Kind::Warning);
}

void TPagesHlp::followOwnTopic(const store::Renumbering& renumbered)
{
    store_.CurrentPage = renumbered.newNumber(store_.CurrentPage);
    if (blockChangedUnderFields())
        LitFiche(); // its number, or its level, changed
}

void TPagesHlp::VoirAussi()
{
    if (store::findTag(store_.DocumentLines, store::topicOpenTag(store_.CurrentPage)) < 0)
        return; // a topic never stored cannot be linked
    EcritFiche();
    TLienAussi* d = linkDialogs_.lienAussi;
    if (!d)
        return;
    runCommand([this, d] {
        setStepLabel(QStringLiteral("lien voir aussi de la rubrique « %1 »").arg(pageName()));
        // The list starts on the page's link, or on the page itself.
        int current = store_.CurrentPage;
        for (const store::PageEntry& e : store::pageEntries(store_.DocumentLines)) {
            if (!store_.SeeAlsoTarget.isEmpty() && editor::seeAlsoTarget(e.title) == store_.SeeAlsoTarget) {
                current = e.number;
                break;
            }
        }
        d->Init(store_.DocumentLines, current);
        prompts().showModal(*d);
        const int chosen = d->chosenTopic();
        // A page does not link to itself; choosing its link again changes nothing.
        if (chosen < 0 || chosen == store_.CurrentPage)
            return;
        const QString target = editor::seeAlsoTarget(d->entryTitle(chosen));
        if (target == store_.SeeAlsoTarget)
            return;
        if (!editor::setSeeAlso(store_.DocumentLines, store_.CurrentPage, target))
            return;
        store_.SeeAlsoTarget = target;
        store_.DocumentModified = true;
        keepBlockInStep();
    });
}

void TPagesHlp::SupVa()
{
    runCommand([this] {
        if (!editor::clearSeeAlso(store_.DocumentLines, store_.CurrentPage))
            return;
        setStepLabel(QStringLiteral("suppression du lien voir aussi de la rubrique « %1 »").arg(pageName()));
        store_.SeeAlsoTarget.clear();
        store_.DocumentModified = true;
        keepBlockInStep();
    });
}

void TPagesHlp::Proprietes()
{
    TPropriete* d = linkDialogs_.propriete;
    if (!d)
        return;
    runCommand([this, d] {
        d->Init(store_.DocumentLines, store_.CurrentPage);
        prompts().showModal(*d);
    });
}

void TPagesHlp::keepBlockInStep()
{
    const auto& lines = store_.DocumentLines;
    const int open = store::findTag(lines, store::topicOpenTag(store_.CurrentPage));
    syncedBlock_ = open < 0
        ? QStringList()
        : lines.mid(open, store::blockEnd(lines, open, store::topicCloseTag(store_.CurrentPage)) - open + 1);
}

int TPagesHlp::followLinks()
{
    const QString newKey = store::ContextKey(Edit1->text());
    if (quietStore_ || syncedBlock_.isEmpty() || pageKey_.isEmpty() || newKey.isEmpty()
        || newKey.compare(pageKey_, Qt::CaseInsensitive) == 0)
        return 0;
    const QString oldKey = std::exchange(pageKey_, newKey); // asked once
    // Another topic of that key still takes the links; none to move then.
    if (editor::keyTaken(store_.DocumentLines, oldKey, store_.CurrentPage))
        return 0;
    const int links = editor::countLinks(store_.DocumentLines, oldKey);
    if (links == 0)
        return 0;
    const QString question = links == 1
        ? QStringLiteral("1 lien (voir aussi ou saut) mène à l'ancien titre de cette rubrique (IDH_%1). Le faire suivre vers IDH_%2 ?")
              .arg(oldKey, newKey)
        : QStringLiteral("%1 liens (voir aussi ou sauts) mènent à l'ancien titre de cette rubrique (IDH_%2). Les faire suivre vers IDH_%3 ?")
              .arg(QString::number(links), oldKey, newKey);
    ++commandDepth_; // the question takes the activation: nothing is stored or read meanwhile
    const bool yes = prompts().ask(this, question, Prompts::Buttons::YesNo, Prompts::Kind::Confirmation) == Prompts::Answer::Yes;
    --commandDepth_;
    if (!yes)
        return 0;
    // Many lines change their own way: compared at the record (EcritFiche ends this).
    store_.History.begin(store_.DocumentLines);
    const int moved = editor::moveLinks(store_.DocumentLines, oldKey, newKey);
    if (moved == 0)
        store_.History.end();
    store_.DocumentModified = true;
    if (blockChangedUnderFields()) { // the page links to itself
        const int caret = Memo1->textCursor().position();
        LitFiche();
        QTextCursor c = Memo1->textCursor();
        c.setPosition(qMin(caret, Memo1->document()->characterCount() - 1));
        Memo1->setTextCursor(c);
    }
    return moved;
}
