#include "publish/windows/EditHpj.h"

#include "publish/core/ProjectOptions.h"
#include "platform/core/TextFile.h"
#include "platform/core/WindowPlace.h"
#include "platform/windows/ColourWords.h"
#include "platform/windows/FieldText.h"
#include "platform/windows/Prompts.h"
#include "store/core/Blocks.h"
#include "store/core/TextRules.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int ButtonFace = int(0x8000000Fu); // the system's dialog colour
constexpr int BarHeight = 36;

QPushButton* plainButton(const QString& text, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    // Enter belongs to the text: it must never press a button.
    b->setAutoDefault(false);
    b->setDefault(false);
    b->resize(75, 26);
    return b;
}
} // namespace

TEditHpj::TEditHpj(QWidget* parent)
    : QDialog(parent)
    , colour_(ButtonFace)
{
    setObjectName(QStringLiteral("TEditHpj"));
    setWindowTitle(QStringLiteral("Editer "));
    setSizeGripEnabled(true);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(BarHeight);
    Button2 = plainButton(QStringLiteral("Annuler"), "Button2", Panel1);
    Button1 = plainButton(QStringLiteral("OK"), "Button1", Panel1);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(false);
    Memo1->setAccessibleName(QStringLiteral("Fichier projet"));
    connect(Memo1->document(), &QTextDocument::contentsChange, this, [this](int position, int, int added) {
        fieldtext::keepToTheDocument(Memo1->document(), position, added, loading_);
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(Memo1);

    connect(Button1, &QPushButton::clicked, this, &TEditHpj::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TEditHpj::Button2Click);
    resize(520, 400);
    SetIni(0, 0, colour_); // the bounded place of a window never placed
}

bool TEditHpj::Init(const QString& fileName)
{
    confirmed_ = false;
    HpjFileName = store::forceExtension(fileName, QStringLiteral(".hpj"));
    QStringList lines;
    if (!textfile::readLines(HpjFileName, lines)) {
        prompts().tell(parentWidget(), QStringLiteral("Impossible d'ouvrir le fichier ") + HpjFileName,
            Prompts::Kind::Error);
        return false;
    }
    loading_ = true;
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));
    loading_ = false;
    setWindowTitle(QStringLiteral("Editer ") + store::fileNamePart(HpjFileName));
    return true;
}

QStringList TEditHpj::editedLines() const
{
    return fieldtext::exactLines(Memo1);
}

void TEditHpj::Result(QStringList& lines, bool& confirmed) const
{
    confirmed = confirmed_;
    if (!confirmed_)
        return;
    QStringList block{QStringLiteral("<HPJ>")};
    block << editedLines() << QStringLiteral("</HPJ>");
    publish::replaceProjectBlock(lines, block);
}

void TEditHpj::Button1Click()
{
    // A line that reads as a tag would end the block early or fake a topic: the document would
    // no longer load as it was saved.
    for (const QString& line : editedLines()) {
        if (store::looksLikeTag(line)) {
            prompts().tell(this,
                QStringLiteral("La ligne « %1 » ne peut pas figurer dans le fichier projet : "
                               "elle serait lue comme une balise du document.")
                    .arg(line),
                Prompts::Kind::Warning);
            return;
        }
    }
    confirmed_ = true;
    accept();
}

void TEditHpj::Button2Click()
{
    confirmed_ = false;
    reject();
}

void TEditHpj::FormResize()
{
    const int y = (BarHeight - Button1->height()) / 2;
    Button1->move(width() - 110, y);
    Button2->move(width() - 215, y);
}

void TEditHpj::FormActivate()
{
    Memo1->setFocus();
}

void TEditHpj::GetIni(int& left, int& top, int& colour) const
{
    left = x();
    top = y();
    colour = colour_;
}

void TEditHpj::SetIni(int left, int top, int colour)
{
    move(windowplace::boundedLeft(left), windowplace::boundedTop(top));
    colour_ = colour;
    QPalette p = palette();
    p.setColor(QPalette::Window, colourwords::toColor(quint32(colour)));
    setPalette(p);
    setAutoFillBackground(true);
}

void TEditHpj::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    FormResize();
}

void TEditHpj::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormResize();
    // After the window manager has activated the window.
    QTimer::singleShot(0, this, &TEditHpj::FormActivate);
}
