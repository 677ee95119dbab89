#include "editor/windows/TPopUp.h"

#include "editor/core/PasteText.h"
#include "editor/core/PopupCommands.h"
#include "editor/windows/BodyText.h"
#include "platform/core/WindowPlace.h"
#include "platform/windows/Prompts.h"
#include "store/core/Blocks.h"
#include "store/core/PopupBlocks.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int ButtonFace = int(0x8000000Fu); // the system's dialog colour

QPushButton* barButton(const QString& text, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    // Enter belongs to the text: it must never press a button.
    b->setAutoDefault(false);
    b->setDefault(false);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

} // namespace

TPopUp::TPopUp(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , colour_(ButtonFace)
{
    setObjectName(QStringLiteral("PopUp"));
    setWindowTitle(QStringLiteral("Rubrique  PopUp"));
    setSizeGripEnabled(true);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Button3 = barButton(QStringLiteral("Supprimer"), "Button3", Panel1);
    Button1 = barButton(QStringLiteral("Fermer"), "Button1", Panel1);
    auto* bar = new QHBoxLayout(Panel1);
    bar->setContentsMargins(6, 4, 6, 4);
    bar->addWidget(Button3);
    bar->addStretch();
    bar->addWidget(Button1);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(false);
    Memo1->installEventFilter(this);
    connect(Memo1->document(), &QTextDocument::contentsChange, this,
        [this](int position, int, int added) {
            bodytext::replaceUnrepresentable(Memo1->document(), position, added, sanitizing_);
        });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(Memo1, 1);

    connect(Button1, &QPushButton::clicked, this, &TPopUp::Button1Click);
    connect(Button3, &QPushButton::clicked, this, &TPopUp::Button3Click);
    resize(420, 260);
    SetIni(0, 0, 0); // the bounded place of a window never placed
    FormCreate();
}

void TPopUp::FormCreate()
{
    PopupWorkLines.clear();
}

void TPopUp::Init(const QStringList& lines, const QString& word)
{
    PopupWorkLines = lines;
    PopupAnchor = word;
    PopupNumber = -1;
    // The heading, and the caret on the line after it, where the popup's text goes.
    Memo1->setPlainText(editor::popupFirstLine(word) + u'\n');
    Memo1->moveCursor(QTextCursor::End);
    Memo1->document()->setModified(true);
}

bool TPopUp::Modif(const QStringList& lines, const QString& tag)
{
    PopupWorkLines = lines;
    const int open = store::findTag(PopupWorkLines, tag);
    // Only a well-formed tag gives a number to write the popup back under.
    const int number = store::tagNumber(tag, u"<POPUP", true);
    if (open < 0 || number < 0) {
        prompts().tell(parentWidget(), QStringLiteral("Identificateur non reconnu"), Prompts::Kind::Warning);
        return false;
    }
    PopupNumber = number;
    // The block ends at the close tag as written, whatever the case of the tag asked for; the text
    // shows every byte it holds.
    sanitizing_ = true;
    Memo1->setPlainText(store::popupText(PopupWorkLines, open, store::popupCloseTag(number)).join(QLatin1Char('\n')));
    sanitizing_ = false;
    Memo1->moveCursor(QTextCursor::Start);
    Memo1->document()->setModified(false);
    return true;
}

TPopUp::Outcome TPopUp::Result(QStringList& lines, bool& modified, QString& text)
{
    PopupWorkLines.clear();
    if (!Memo1->document()->isModified())
        return Outcome::None;
    // Only a text blank through and through removes the popup; blank lines in front of its text go.
    QStringList popupLines = store::popupTextToStore(bodytext::exactLines(Memo1));
    // The empty line a new popup opens with is no text of the author's.
    if (PopupNumber < 0)
        while (popupLines.size() > 1 && popupLines.back().isEmpty())
            popupLines.removeLast();
    if (popupLines.isEmpty()) {
        // A new popup with no text is simply not made.
        return PopupNumber < 0 ? Outcome::None : remove(lines, modified);
    }
    const bool added = PopupNumber < 0;
    if (added) {
        // The lowest free number: even in a file whose numbers have a gap, no popup is replaced.
        PopupNumber = store::newPopupNumber(lines);
        if (PopupNumber < 0)
            return Outcome::None; // four digits cannot number it; the command said so before
    }
    const int open = store::findTag(lines, store::popupOpenTag(PopupNumber));
    if (open >= 0)
        store::removeBlock(lines, open, store::popupCloseTag(PopupNumber));
    lines << store::popupBlock(PopupNumber, popupLines);
    modified = true;
    if (!added)
        return Outcome::Changed;
    text = store::PopupLink(PopupAnchor, PopupNumber);
    return Outcome::Added;
}

TPopUp::Outcome TPopUp::remove(QStringList& lines, bool& modified)
{
    const int open = store::findTag(lines, store::popupOpenTag(PopupNumber));
    if (open < 0)
        return Outcome::None;
    const store::PopupRemoval plan = store::planPopupRemoval(lines, PopupNumber);
    const int links = plan.plainLinks;
    if (links > 0) {
        const QString title = store::popupTitle(lines, open);
        const QString what = links == 1
            ? QStringLiteral("1 lien vers elle deviendra du texte simple.")
            : QStringLiteral("%1 liens vers elle deviendront du texte simple.").arg(links);
        if (prompts().ask(parentWidget(), QStringLiteral("Supprimer la PopUp « %1 » ? ").arg(title) + what,
                Prompts::Buttons::YesNo, Prompts::Kind::Confirmation)
            != Prompts::Answer::Yes)
            return Outcome::None;
    }
    store::removePopup(lines, plan);
    modified = true;
    return Outcome::Removed;
}

void TPopUp::GetIni(int& left, int& top, int& colour) const
{
    left = x();
    top = y();
    colour = colour_;
}

void TPopUp::SetIni(int left, int top, int unused)
{
    Q_UNUSED(unused);
    move(windowplace::boundedLeft(left), windowplace::boundedTop(top));
}

void TPopUp::Button1Click()
{
    accept();
}

void TPopUp::Button3Click()
{
    QTextCursor c(Memo1->document());
    c.select(QTextCursor::Document);
    c.removeSelectedText();
    Memo1->setTextCursor(c);
    Memo1->document()->setModified(true);
    Memo1->setFocus();
}

void TPopUp::FormActivate()
{
    Memo1->setFocus();
}

bool TPopUp::Memo1KeyPress(int key)
{
    // Enter ends the paragraph as in a topic body; backslashes and braces go in as typed.
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    bodytext::enterWithParagraphMark(Memo1);
    return true;
}

bool TPopUp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Memo1 && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        auto* key = static_cast<QKeyEvent*>(event);
        // "Coller comme texte", as in the topic body.
        if (key->keyCombination() == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_V)) {
            if (event->type() == QEvent::KeyPress)
                pasteAsText();
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress && Memo1KeyPress(key->key()))
            return true;
        if (event->type() == QEvent::KeyPress && !bodytext::typeRepresentable(Memo1, key->text()).isEmpty())
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TPopUp::pasteAsText()
{
    bodytext::insertAsOneEdit(Memo1, editor::typedText(QApplication::clipboard()->text()));
}

void TPopUp::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
    // Again once the window manager has activated the window.
    QTimer::singleShot(0, this, &TPopUp::FormActivate);
}
