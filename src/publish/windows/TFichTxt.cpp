#include "publish/windows/TFichTxt.h"

#include "platform/core/TextDecode.h"
#include "platform/core/WindowPlace.h"
#include "platform/windows/ColourWords.h"
#include "platform/windows/Prompts.h"
#include "publish/windows/TextLinesView.h"

#include <QFileInfo>
#include <QPushButton>
#include <QToolButton>

namespace {
constexpr int BarHeight = 30;
constexpr int WindowColour = int(0x80000005u);
} // namespace

TFichTxt::TFichTxt(QWidget* parent)
    : QDialog(parent)
    , colour_(WindowColour)
{
    setObjectName(QStringLiteral("FichTxt"));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setWindowFlag(Qt::WindowMinMaxButtonsHint, true);
    setModal(false);
    setSizeGripEnabled(true);
    setProperty("helpContext", 9);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    CopyBtn = new QToolButton(Panel1);
    CopyBtn->setObjectName(QStringLiteral("CopyBtn"));
    CopyBtn->setToolTip(QStringLiteral("Copier"));
    CopyBtn->setAutoRaise(true);
    CopyBtn->setGeometry(4, 2, 26, 26);
    Button1 = new QPushButton(QStringLiteral("Fermer"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    Button1->resize(75, 25);

    Memo1 = new TextLinesView(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    Memo1->setFont(font);
    QPalette p = Memo1->palette();
    p.setColor(QPalette::Text, Qt::black);
    p.setColor(QPalette::Base, Qt::white);
    Memo1->setPalette(p);

    connect(CopyBtn, &QToolButton::clicked, this, &TFichTxt::CopyBtnClick);
    connect(Button1, &QPushButton::clicked, this, &TFichTxt::Button1Click);
    resize(458, 344);
    SetIni(0, 0, colour_); // the bounded place of a window never placed
}

bool TFichTxt::Ouvre(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (info.size() > MaxFileSize) {
        prompts().tell(this,
            QString::fromUtf8("Le fichier « %1 » est trop volumineux pour être affiché (%2 Mo au plus).")
                .arg(info.fileName())
                .arg(MaxFileSize / (1024 * 1024)),
            Prompts::Kind::Warning);
        return false;
    }
    textdecode::Decoded decoded;
    QString error;
    if (!textdecode::readFile(fileName, decoded, &error)) {
        prompts().tell(this, QStringLiteral("Impossible de lire le fichier « %1 » : %2").arg(fileName, error),
            Prompts::Kind::Error);
        return false;
    }
    Memo1->setText(std::move(decoded.text));
    setWindowTitle(info.fileName());
    return true;
}

void TFichTxt::CopyBtnClick()
{
    Memo1->copy();
}

void TFichTxt::Button1Click()
{
    hide();
}

void TFichTxt::FormResize()
{
    Panel1->setGeometry(0, 0, width(), BarHeight);
    Button1->move(width() - 110, (BarHeight - Button1->height()) / 2);
    Memo1->setGeometry(0, BarHeight, width(), qMax(0, height() - BarHeight));
}

void TFichTxt::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    FormResize();
}

void TFichTxt::GetIni(int& left, int& top, int& colour) const
{
    left = x();
    top = y();
    colour = colour_;
}

void TFichTxt::SetIni(int left, int top, int colour)
{
    move(windowplace::boundedLeft(left), windowplace::boundedTop(top));
    colour_ = colour;
    QPalette p = palette();
    p.setColor(QPalette::Window, colourwords::toColor(quint32(colour)));
    setPalette(p);
    setAutoFillBackground(true);
}

void OuvreTxt(QWidget* parent, TFichTxt& viewer)
{
    const QString name = prompts().openFileName(parent, textdecode::textFileFilter(), QStringLiteral("*.txt"),
        QStringLiteral("txt"), QStringLiteral("Ouvrir fichier"));
    if (name.isEmpty() || !QFileInfo(name).isFile())
        return;
    if (!viewer.Ouvre(name))
        return;
    viewer.show();
    viewer.raise();
    viewer.activateWindow();
}
