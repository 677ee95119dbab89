#include "editor/windows/PagesHlp.h"

#include "editor/core/ImportText.h"
#include "editor/windows/BodyText.h"
#include "platform/core/Cp1252.h"
#include "platform/windows/ColourWords.h"
#include "platform/windows/FieldText.h"
#include "platform/windows/Prompts.h"
#include "store/core/Blocks.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TextRules.h"

#include <QApplication>
#include <algorithm>
#include <QClipboard>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QVBoxLayout>

using store::FieldLook;
using store::TopicFields;

namespace {

constexpr int KeyClear = 12; // what a handled key becomes: the fields ignore it

void applyLook(QWidget* w, const FieldLook& look)
{
    QFont f(look.fontName);
    f.setPointSize(qMax(1, look.fontSize));
    w->setFont(f);
    QPalette p = w->palette();
    const QColor text = colourwords::toColor(look.fontColour);
    const QColor base = colourwords::toColor(look.background);
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Text, text);
        p.setColor(group, QPalette::Base, base);
    }
    // The selection stays visible when the field has no focus.
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    w->setPalette(p);
}

} // namespace

TPagesHlp::TPagesHlp(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("PagesHlp"));
    setWindowTitle(QStringLiteral("Pages"));

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(45);
    Label1 = new QLabel(QStringLiteral("Titre de la rubrique"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(8, 14);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setProperty("helpContext", 7);
    Edit1->move(130, 10);
    Edit1->setAccessibleName(Label1->text());
    fieldtext::keepOnOneLine(Edit1);
    const auto tellReplaced = [this](const QString& replaced) { Q_EMIT statusMessage(editor::replacedStatus(replaced)); };
    fieldtext::keepToTheDocument(Edit1, tellReplaced);
    Label2 = new QLabel(QStringLiteral("P. 1"), Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    QFont bold(QStringLiteral("MS Sans Serif"));
    bold.setBold(true);
    Label2->setFont(bold);
    Label2->setMinimumWidth(70);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setProperty("helpContext", 7);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setTabChangesFocus(false);
    Memo1->setAccessibleName(QStringLiteral("Texte de la rubrique"));

    Panel3 = new QWidget(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFixedHeight(42);
    Label3 = new QLabel(QString::fromUtf8("Liste des mots-clé"), Panel3);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->move(8, 13);
    Edit2 = new QLineEdit(Panel3);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setProperty("helpContext", 5);
    Edit2->move(130, 9);
    Edit2->setAccessibleName(Label3->text());
    fieldtext::keepOnOneLine(Edit2);
    fieldtext::keepToTheDocument(Edit2, tellReplaced);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(Memo1, 1);
    layout->addWidget(Panel3);

    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(Edit1),
             static_cast<QWidget*>(Memo1), static_cast<QWidget*>(Edit2)})
        w->installEventFilter(this);

    connect(Edit1, &QLineEdit::textChanged, this, [this] { sanitizeLine(Edit1); Edit1Change(); });
    connect(Edit2, &QLineEdit::textChanged, this, [this] { sanitizeLine(Edit2); Edit1Change(); });
    connect(Memo1->document(), &QTextDocument::contentsChange, this,
        [this](int position, int, int added) { sanitizeBody(position, added); });

    applyLook(Edit1, titleLook_);
    applyLook(Memo1, bodyLook_);
    applyLook(Edit2, FieldLook{});
    setWordWrap(true);
    createSearchDialogs();
    FormCreate();
    LitFiche();
}

// ---------------------------------------------------------------- store operations

void TPagesHlp::FormCreate()
{
    store_.createEmpty(titleLook_, bodyLook_);
    store_.startHistory();
}

bool TPagesHlp::Charge(const QString& fileName)
{
    const QString name = store::projectFilePath(fileName);
    bool missing = false;
    QString error;
    if (!store_.load(name, &missing, &error)) {
        prompts().tell(this, QStringLiteral("Impossible de lire le fichier « %1 » : %2").arg(name, error),
            Prompts::Kind::Error);
        return false;
    }
    // Nothing to read: the document on screen, typed text and all, stays as it is.
    if (missing) {
        prompts().tell(this, QStringLiteral("Le fichier « %1 » n'existe pas.").arg(name), Prompts::Kind::Error);
        return false;
    }
    Memo1->document()->setModified(false);
    store_.countBlocks();
    search_ = editor::SearchPosition{};
    const bool repaired = Verif();
    litHeader();
    store_.CurrentPage = 0;
    LitFiche();
    Memo1->document()->setModified(false);
    store_.PageModified = false;
    if (!repaired)
        store_.DocumentModified = false;
    store_.startHistory();
    return true;
}

bool TPagesHlp::Sauve(const QString& fileName)
{
    EcritFiche();
    const QString name = store::projectFilePath(fileName);
    QString error;
    bool lossy = false;
    if (!store_.save(name, &error, &lossy)) {
        store_.DocumentModified = true;
        prompts().tell(this, QStringLiteral("Impossible d'enregistrer le fichier « %1 » : %2").arg(name, error),
            Prompts::Kind::Error);
        return false;
    }
    Memo1->document()->setModified(false);
    if (lossy) // text from elsewhere (a dialog field, say) that the file cannot hold: never silently
        prompts().tell(this,
            QString::fromUtf8("Certains caractères ne peuvent pas être enregistrés dans « %1 » : ils ont été "
                              "remplacés par « ? ».")
                .arg(name),
            Prompts::Kind::Warning);
    return true;
}

bool TPagesHlp::Verif()
{
    if (!store_.altered())
        return false;
    if (prompts().ask(this, QString::fromUtf8("Le fichier a été altéré. Restaurer ?"), Prompts::Buttons::YesNo,
            Prompts::Kind::Warning)
        != Prompts::Answer::Yes)
        return false;
    store_.repair(titleLook_, bodyLook_);
    return true;
}

void TPagesHlp::litHeader()
{
    FieldLook title = titleLook_;
    FieldLook body = bodyLook_;
    if (store::litHeader(store_.DocumentLines, title, body) > 0)
        applyLooks(title, body);
}

void TPagesHlp::EcritHeader()
{
    store::EcritHeader(store_.DocumentLines, titleLook_, bodyLook_);
}

void TPagesHlp::applyLooks(const FieldLook& title, const FieldLook& body)
{
    titleLook_ = title;
    bodyLook_ = body;
    applyLook(Edit1, title);
    applyLook(Memo1, body);
}

TopicFields TPagesHlp::fields() const
{
    TopicFields f;
    f.title = Edit1->text();
    f.keywords = Edit2->text();
    f.level = store_.PageLevel;
    f.seeAlso = store_.SeeAlsoTarget;
    f.body = fieldtext::exactLines(Memo1);
    return f;
}

void TPagesHlp::LitFiche()
{
    Label2->setText(QStringLiteral("P. ") + QString::number(store_.CurrentPage + 1));
    TopicFields f;
    const bool found = store_.readPage(f, &syncedBlock_);
    pageKey_ = store::ContextKey(f.title);
    // The page as stored, every byte of it: what may not be typed in may still be in the file.
    sanitizing_ = true;
    Edit1->setText(f.title);
    Edit2->setText(f.keywords);
    Memo1->setPlainText(f.body.join(u'\n'));
    sanitizing_ = false;
    Memo1->moveCursor(QTextCursor::Start);
    Memo1->document()->setModified(false);
    // The keyword field may lose the focus here: its clean-up belongs to the page just left,
    // never to the keywords just read.
    readingPage_ = true;
    Edit1->setFocus();
    readingPage_ = false;
    if (found)
        store_.PageModified = false;
    Q_EMIT pageShown(store_.CurrentPage);
}

void TPagesHlp::EcritFiche()
{
    // Stored from the keyword field (F3, F2, a command): its clean-up runs first, as leaving it does.
    if (Edit2->hasFocus())
        Edit2Exit();
    // A write takes the page's block out of its place: the saved search position must follow.
    const bool writes = store_.PageModified || Memo1->document()->isModified();
    const int open = writes ? store::findTag(store_.DocumentLines, store::topicOpenTag(store_.CurrentPage)) : -1;
    const QStringList before = syncedBlock_;
    const QString name = pageName();
    store_.writePage(fields(), Memo1->document()->isModified(), &syncedBlock_);
    if (open >= 0)
        editor::blockRemoved(search_, store_.DocumentLines, open);
    if (!writes)
        return;
    const bool written = syncedBlock_ != before;
    // What was typed is in the document now: from here it is undone as a step of the document.
    if (written)
        clearFieldHistories();
    const int moved = followLinks();
    // Unless the running command's step takes the page with it, the page's edits are a step.
    if ((written || moved > 0) && stepLabel_.isEmpty()) {
        const QString title = store::TrimSpaces(Edit1->text());
        store_.record(syncedBlock_.isEmpty() && !before.isEmpty()
                ? QStringLiteral("rubrique « %1 » retirée (titre vide)").arg(name)
                : moved > 0 ? QStringLiteral("titre « %1 » changé en « %2 » et ses liens").arg(name, title)
                            : QStringLiteral("modification de la rubrique « %1 »").arg(title));
    }
    if (moved > 0)
        store_.History.end();
}

void TPagesHlp::leavePage()
{
    // Leaving from the keyword field: EcritFiche runs its clean-up on this page first.
    EcritFiche();
}

bool TPagesHlp::TestModif()
{
    if (Memo1->document()->isModified())
        store_.DocumentModified = true;
    // A changed title or keyword list is a change too, written back or not yet.
    if (store_.PageModified && store_.pageDiffers(fields()))
        store_.DocumentModified = true;
    return store_.DocumentModified;
}

void TPagesHlp::Precedent()
{
    leavePage();
    store_.CurrentPage = qMax(0, store_.CurrentPage - 1);
    LitFiche();
    settle();
}

void TPagesHlp::Suivant()
{
    leavePage();
    store_.CurrentPage = qMax(0, qMin(store_.CurrentPage + 1, store_.PageCount - 1));
    LitFiche();
    settle();
}

void TPagesHlp::Premier()
{
    leavePage();
    store_.CurrentPage = 0;
    LitFiche();
    settle();
}

void TPagesHlp::Dernier()
{
    leavePage();
    store_.CurrentPage = qMax(0, store_.PageCount - 1);
    LitFiche();
    settle();
}

bool TPagesHlp::Ajout()
{
    leavePage();
    if (!store_.canAddPage()) {
        prompts().tell(this,
            QString::fromUtf8("Le projet compte déjà %1 pages : impossible d'en ajouter une autre.")
                .arg(store::DocumentStore::MaxPages),
            Prompts::Kind::Warning);
        return false;
    }
    setStepLabel(QStringLiteral("ajout d'une rubrique"));
    store_.History.replace(store_.DocumentLines, int(store_.DocumentLines.size()), 0, {QStringLiteral(" ")});
    ++store_.PageCount;
    store_.CurrentPage = store_.PageCount - 1;
    LitFiche();
    store_.PageLevel = 1;
    settle();
    return true;
}

void TPagesHlp::Supprime()
{
    EcritFiche(); // the page's own edits first: undoing the deletion brings the page back with them
    setStepLabel(QStringLiteral("suppression de la rubrique « %1 »").arg(pageName()));
    Edit1->clear();
    Memo1->clear();
    Memo1->document()->setModified(true);
    EcritFiche();
    Renum();
    if (store_.CurrentPage > store_.PageCount - 1)
        store_.CurrentPage = qMax(0, store_.PageCount - 1);
    LitFiche();
    settle();
}

void TPagesHlp::Renum()
{
    store_.Renum();
}

void TPagesHlp::Nouveau()
{
    store_.DocumentLines = QStringList();
    store_.PageCount = 1;
    store_.CurrentPage = 0;
    store_.PageLevel = 1;
    applyLooks(FieldLook{}, FieldLook{});
    search_ = editor::SearchPosition{};
    store::EcritHpj(store_.DocumentLines, store_.ProjectFileName);
    EcritHeader();
    LitFiche();
    store_.startHistory();
}

// ---------------------------------------------------------------- commands

void TPagesHlp::Copier() { Memo1->copy(); }
void TPagesHlp::Couper() { Memo1->cut(); }
void TPagesHlp::Coller() { Memo1->paste(); }
void TPagesHlp::Selection() { Memo1->selectAll(); }

void TPagesHlp::Opt()
{
    if (!optionsHook_)
        return;
    runCommand([this] {
        setStepLabel(QStringLiteral("options du projet"));
        OptionsExchange x{&store_.DocumentLines, store_.ProjectFileName, titleLook_, bodyLook_};
        if (!optionsHook_(this, x))
            return;
        applyLooks(x.title, x.body);
        EcritHeader();
    });
}

void TPagesHlp::setWordWrap(bool on)
{
    Memo1->setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
}

bool TPagesHlp::wordWrap() const
{
    return Memo1->lineWrapMode() != QPlainTextEdit::NoWrap;
}

void TPagesHlp::runCommand(const std::function<void()>& command)
{
    // A command may change the lines its own way: what it changed is found at its end.
    store_.History.begin(store_.DocumentLines);
    ++commandDepth_;
    command();
    --commandDepth_;
    settle();
    store_.History.end();
}

// ---------------------------------------------------------------- activation

bool TPagesHlp::blockChangedUnderFields() const
{
    return store_.pageBlockDiffers(syncedBlock_);
}

void TPagesHlp::FormActivate()
{
    // Reload only when the document changed under the fields: a command that changed the fields
    // keeps its work, and a command that changed the page's block shows it.
    if (commandDepth_ > 0 || !blockChangedUnderFields())
        return;
    LitFiche();
}

void TPagesHlp::FormDeactivate()
{
    if (commandDepth_ > 0)
        return;
    // No question while the author is away: the links are asked for at the next store.
    quietStore_ = true;
    EcritFiche();
    quietStore_ = false;
    settle();
}

void TPagesHlp::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            FormActivate();
        else
            FormDeactivate();
    }
    QWidget::changeEvent(event);
}

// ---------------------------------------------------------------- typing rules

void TPagesHlp::Edit1Change()
{
    store_.PageModified = true;
}

void TPagesHlp::Edit2Exit()
{
    if (readingPage_)
        return;
    QString k = store::TrimSpaces(Edit2->text());
    if (k.isEmpty()) {
        if (!Edit2->text().isEmpty())
            Edit2->clear();
        return;
    }
    while (k.contains(QStringLiteral(" ;")))
        k.replace(QStringLiteral(" ;"), QStringLiteral(";"));
    while (k.contains(QStringLiteral("; ")))
        k.replace(QStringLiteral("; "), QStringLiteral(";"));
    if (k != Edit2->text()) {
        Edit2->setText(k);
        store_.PageModified = true;
    }
}

void TPagesHlp::enterInBody()
{
    bodytext::enterWithParagraphMark(Memo1);
}

bool TPagesHlp::FormKeyDown(int key)
{
    bool handled = false;
    if (key == Qt::Key_PageDown) {
        Suivant();
        key = KeyClear;
        handled = true;
    }
    if (key == Qt::Key_PageUp) {
        Precedent();
        key = KeyClear;
        handled = true;
    }
    if (key == Qt::Key_F2) {
        Index();
        handled = true;
    }
    return handled;
}

bool TPagesHlp::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && watched == Edit2) {
        Edit2Exit();
        return false;
    }
    if (event->type() == QEvent::FocusIn && (watched == Edit1 || watched == Edit2)) {
        // The fields do not select all their text when the focus comes in by the keyboard; a
        // selection made before (a search match) stays when the window comes back.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason && reason != Qt::ShortcutFocusReason)
            return QWidget::eventFilter(watched, event);
        auto* edit = static_cast<QLineEdit*>(watched);
        edit->event(event);
        edit->deselect();
        return true;
    }
    const bool field = watched == Edit1 || watched == Memo1 || watched == Edit2;
    if (field && (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        // Undo, redo and paste as text are the editor's, not the field's own.
        auto* key = static_cast<QKeyEvent*>(event);
        const bool undo = key->matches(QKeySequence::Undo);
        const bool redo = key->matches(QKeySequence::Redo)
            || key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Y);
        const bool pasteText = key->keyCombination() == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_V);
        if (undo || redo || pasteText) {
            if (event->type() == QEvent::ShortcutOverride) {
                event->accept();
                return true;
            }
            if (undo)
                Annuler();
            else if (redo)
                Retablir();
            else
                CollerTexte();
            return true;
        }
    }
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (FormKeyDown(key->key()))
        return true;
    if (watched == Memo1 && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        enterInBody();
        return true;
    }
    const QString text = key->text();
    if (field && !text.isEmpty() && !std::all_of(text.begin(), text.end(), cp1252::representable)) {
        // Typed text the code page cannot hold goes in as "?" at once, so that Ctrl+Z simply takes
        // the "?" back.
        QString replaced;
        if (watched == Memo1) {
            replaced = bodytext::typeRepresentable(Memo1, text);
        } else {
            QString clean = text;
            for (QChar c : text)
                if (!cp1252::representable(c))
                    replaced += c;
            cp1252::sanitize(clean);
            static_cast<QLineEdit*>(watched)->insert(clean);
        }
        Q_EMIT statusMessage(editor::replacedStatus(replaced));
        return true;
    }
    if ((watched == Edit1 || watched == Memo1)
        && (text == u"\\" || text == u"{" || text == u"}")) {
        if (watched == Edit1)
            Edit1->insert(QStringLiteral("\\"));
        else
            Memo1->textCursor().insertText(QStringLiteral("\\"));
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- text the code page cannot hold

void TPagesHlp::sanitizeLine(QLineEdit* edit)
{
    if (sanitizing_)
        return;
    QString t = edit->text();
    QString replaced;
    for (QChar c : std::as_const(t))
        if (!cp1252::representable(c))
            replaced += c;
    int changed = cp1252::sanitize(t);
    // In the keyword line a backslash starts the see-also target: one typed or pasted among the
    // keywords would silently change the link, so it never enters the field.
    if (edit == Edit2 && t.contains(u'\\')) {
        changed += int(t.count(u'\\'));
        t.remove(u'\\');
    }
    if (changed == 0)
        return;
    sanitizing_ = true;
    const int pos = edit->cursorPosition();
    edit->setText(t);
    edit->setCursorPosition(pos);
    sanitizing_ = false;
    if (!replaced.isEmpty())
        Q_EMIT statusMessage(editor::replacedStatus(replaced));
}

void TPagesHlp::sanitizeBody(int position, int added)
{
    const QString replaced = bodytext::replaceUnrepresentable(Memo1->document(), position, added, sanitizing_);
    if (!replaced.isEmpty())
        Q_EMIT statusMessage(editor::replacedStatus(replaced));
}

// ---------------------------------------------------------------- layout

void TPagesHlp::FormResize()
{
    const int w = Panel1->width();
    Edit1->resize(qMax(40, w - 280), Edit1->sizeHint().height());
    Label2->move(w - 80, 14);
    Edit2->resize(qMax(40, width() - 180), Edit2->sizeHint().height());
}

void TPagesHlp::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}
