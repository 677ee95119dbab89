#include "app/windows/TAboutBox.h"

#include "app/windows/ShellPictures.h"
#include "platform/windows/FixedDialog.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("A propos de Tyx Help"));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setPixmap(shellpictures::programPicture(64));
    ProgramIcon->setFixedSize(68, 68);
    ProgramIcon->setAlignment(Qt::AlignCenter);

    ProductName = new QLabel(QStringLiteral("Tyx Plumet"), Panel1);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    QFont bold = ProductName->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 4);
    ProductName->setFont(bold);

    Version = new QLabel(QStringLiteral("Version 2.0"), Panel1);
    Version->setObjectName(QStringLiteral("Version"));

    Comments = new QLabel(QStringLiteral("Générateur de fichiers d'aide Windows (WinHelp)"), Panel1);
    Comments->setObjectName(QStringLiteral("Comments"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(ProductName);
    texts->addWidget(Version);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(ProgramIcon, 0, Qt::AlignTop);
    top->addSpacing(8);
    top->addLayout(texts, 1);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->addLayout(top);
    panelLayout->addSpacing(8);
    panelLayout->addWidget(Comments);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TAboutBox::Button1Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Panel1);
    layout->addWidget(Button1, 0, Qt::AlignHCenter);
    fixeddialog::apply(this, sizeHint().expandedTo(QSize(300, 200)));
}

void TAboutBox::Button1Click()
{
    accept();
}
