#pragma once
// The topic editor window: shows page `CurrentPage` in three fields and owns the document store.
#include "editor/core/SearchReplace.h"
#include "store/core/DocumentStore.h"

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class TFindDialog;
class TReplaceDialog;
class TLienAussi;
class TPageListe;
class TPageOut;
class TPropriete;
namespace store {
struct Renumbering;
}
class TLstPopUp;
class TPopUp;

class TPagesHlp : public QWidget {
    Q_OBJECT
public:
    explicit TPagesHlp(QWidget* parent = nullptr);

    store::DocumentStore& doc() { return store_; }
    const store::DocumentStore& doc() const { return store_; }

    // Store operations.
    bool Charge(const QString& fileName); // false when nothing was loaded (the reason was shown)
    bool Sauve(const QString& fileName); // false when the file could not be written
    bool Verif();                         // true when the document was repaired
    void litHeader();
    void EcritHeader();
    void LitFiche();
    void EcritFiche();
    bool TestModif();
    void Precedent();
    void Suivant();
    void Premier();
    void Dernier();
    bool Ajout(); // false when the document is full
    void Supprime();
    void Renum();
    void Nouveau();

    // Commands of the main window.
    // Undo and redo (PagesHlpHistory.cpp): the typing of the field that has the focus while it has
    // some of its own, else the document's last step (the page's edits not stored yet first).
    void Annuler();
    void Retablir();
    // Names the step the running command makes (shown when it is undone). A page stored before the
    // command names it makes a step of its own.
    void setStepLabel(const QString& label);
    // Inside a command (runCommand): what a build changed in the document by itself ([MAP], the
    // project's name) joins the step before it.
    void recordDerived();
    void Copier();
    void Couper();
    void Coller();
    // The clipboard's plain text as typed text: backslashes and braces escaped, each line break a
    // paragraph as Enter makes it (PagesHlpHistory.cpp).
    void CollerTexte();
    void Selection();
    void Opt();
    void Index();
    // Hierarchy, see-also and properties (PagesHlpLinks.cpp).
    void Niveaux();
    void VoirAussi();
    void SupVa();
    void Proprietes();
    // The dialogs of the page index and of these commands, made once at start-up. Without them the
    // commands do nothing but store the page where they would store it.
    struct LinkDialogs {
        TPageListe* pageListe = nullptr;
        TPageOut* pageOut = nullptr;
        TLienAussi* lienAussi = nullptr;
        TPropriete* propriete = nullptr;
    };
    void setLinkDialogs(const LinkDialogs& dialogs) { linkDialogs_ = dialogs; }

    // Markup, pictures and popups (PagesHlpMarkup.cpp, PagesHlpPopups.cpp).
    void Gras();
    void Ital();
    void Souligne();
    void Centre();
    void Encadrer();
    void Habiller(int placement); // 1 left, 2 right, 3 as a character
    void Image();
    void LienPopUp();
    void ListePopUp();
    void ModifPopUp();
    // The popup editor and the popup list, made at start-up after this window.
    TPopUp* PopUp = nullptr;
    TLstPopUp* LstPopUp = nullptr;
    // After a popup was removed: the page on screen shows its links renumbered, caret kept.
    void showRenumberedLinks();
    // Ends the body's own undo history (undo and redo) here: done after a popup command (a new popup
    // and its link, a removal that renumbers links), whose numbers that history cannot follow.
    void forgetBodyHistory();

    // Search and replace, import (PagesHlpSearch.cpp).
    void Chercher();
    void Continuer();
    void Remplacer();
    void RemplacerTout();
    void Importer();
    const editor::SearchPosition& searchPosition() const { return search_; }
    TFindDialog* FindDialog1 = nullptr;
    TReplaceDialog* ReplaceDialog1 = nullptr;

    void setWordWrap(bool on);
    bool wordWrap() const;

    // Fonts and colours of the title field and the body.
    store::FieldLook titleLook() const { return titleLook_; }
    store::FieldLook bodyLook() const { return bodyLook_; }
    void applyLooks(const store::FieldLook& title, const store::FieldLook& body);

    // The fields as they are now, as a topic record.
    store::TopicFields fields() const;

    // Options dialog exchange, installed by the publish room's dialog (fonts and colours in, out).
    struct OptionsExchange {
        QStringList* lines;
        QString projectFileName;
        store::FieldLook title;
        store::FieldLook body;
    };
    // Returns false when the dialog could not start (nothing is applied then).
    using OptionsHook = std::function<bool(QWidget* parent, OptionsExchange&)>;
    void setOptionsHook(OptionsHook hook) { optionsHook_ = std::move(hook); }

    // Runs a command that may take the activation away (a modal dialog) so that the store on
    // deactivation and the reload on activation cannot undo what it does.
    void runCommand(const std::function<void()>& command);

    QLineEdit* Edit1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QWidget* Panel1 = nullptr;
    QWidget* Panel3 = nullptr;

Q_SIGNALS:
    // The page shown changed (new number or reloaded).
    void pageShown(int currentPage);
    // A sentence for the status line.
    void statusMessage(const QString& text);

public Q_SLOTS:
    void FindDialog1Find();
    void ReplaceDialog1Find();
    void ReplaceDialog1Replace(bool replaceAll);
    void FormActivate();
    void FormDeactivate();
    void Edit2Exit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void FormResize();
    bool FormKeyDown(int key);
    void Edit1Change();
    void leavePage(); // before navigation: the keyword clean-up, then EcritFiche
    void enterInBody();
    void sanitizeBody(int position, int added);
    void sanitizeLine(QLineEdit* edit);
    bool blockChangedUnderFields() const;
    void createSearchDialogs();
    // One search step with the fields stored first; false when nothing more was found.
    bool Search(const QString& text);
    // True, after telling the author, when the page on screen holds text but no title: a search or a
    // replacement would store nothing of it and then read a page over it.
    bool pageWouldBeLost();
    // After a renumbering the fields follow their topic to its new number, reloaded when its block
    // changed under them, so the next store never lands on another topic.
    void followOwnTopic(const store::Renumbering& renumbered);
    // Tells the author when the page index or the hierarchy could not renumber.
    void sayRefused(const store::Renumbering& renumbered);
    // The page's block was changed by a command while the fields keep their own edits.
    void keepBlockInStep();
    // Records the document's changes as one step once no command is running any more.
    void settle();
    bool undoInField(bool redo);
    void afterReplay(const QString& said, const QString& label);
    void clearFieldHistories();
    QString pageName() const;
    // After a store that gave the page a title of another key: asks once whether the links to the
    // old key follow it, and moves them. Returns how many moved.
    int followLinks();

    store::DocumentStore store_;
    store::FieldLook titleLook_;
    store::FieldLook bodyLook_;
    OptionsHook optionsHook_;
    LinkDialogs linkDialogs_;
    QStringList syncedBlock_; // the page's block as the fields were last read from or written to
    editor::SearchPosition search_;
    int commandDepth_ = 0;
    QString stepLabel_; // the step the running command makes
    QString pageKey_;   // the key the links to the page on screen lead to
    bool quietStore_ = false; // a store on deactivation asks nothing
    bool sanitizing_ = false;
    bool readingPage_ = false;
};
