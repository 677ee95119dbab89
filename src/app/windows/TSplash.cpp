#include "app/windows/TSplash.h"

#include "app/windows/ShellPictures.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace {

void fill(QWidget* w, const QColor& c)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, c);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

} // namespace

TSplash::TSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("Splash"));
    setFixedSize(318, 221);
    fill(this, QColor(0xFF, 0xFF, 0x00));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(3);
    Panel1->setGeometry(16, 16, 286, 189);
    fill(Panel1, QColor(0xFF, 0x00, 0xFF));

    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(shellpictures::programPicture(72));
    Image1->setAlignment(Qt::AlignCenter);

    QFont nameFont(QStringLiteral("Arial"));
    nameFont.setPointSize(20);
    nameFont.setBold(true);
    ProductName = new QLabel(QStringLiteral("Tyx Plumet"), Panel1);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    ProductName->setFont(nameFont);
    ProductName->setAlignment(Qt::AlignCenter);

    QFont versionFont(QStringLiteral("Arial"));
    versionFont.setPointSize(10);
    Version = new QLabel(QStringLiteral("Version 2.0"), Panel1);
    Version->setObjectName(QStringLiteral("Version"));
    Version->setFont(versionFont);
    Version->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(Panel1);
    layout->addStretch();
    layout->addWidget(Image1);
    layout->addWidget(ProductName);
    layout->addWidget(Version);
    layout->addStretch();
}

void TSplash::showNow()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
