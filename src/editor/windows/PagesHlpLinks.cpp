// The editor's commands over the whole list of topics: page index, hierarchy, see-also link and
// properties. Each shows its dialog through the modal seam and applies what it hands back.
#include "editor/windows/PagesHlp.h"

#include "editor/core/SeeAlso.h"
#include "editor/windows/LienAussi.h"
#include "editor/windows/Propriete.h"
#include "platform/windows/Prompts.h"
#include "store/core/Blocks.h"
#include "store/core/PageOrder.h"
#include "store/windows/PageListe.h"
#include "store/windows/PageOut.h"

void TPagesHlp::Index()
{
    EcritFiche();
    TPageListe* d = linkDialogs_.pageListe;
    if (!d)
        return;
    runCommand([this, d] {
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
    if (!editor::clearSeeAlso(store_.DocumentLines, store_.CurrentPage))
        return;
    store_.SeeAlsoTarget.clear();
    store_.DocumentModified = true;
    keepBlockInStep();
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
