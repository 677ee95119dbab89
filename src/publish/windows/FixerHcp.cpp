#include "publish/windows/FixerHcp.h"

#include "platform/windows/FixedDialog.h"
#include "platform/windows/Prompts.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {
QPushButton* plainButton(const QString& text, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    // Only the OK button confirms: Enter in the field must not press a default button.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}
} // namespace

TFixerHcp::TFixerHcp(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TFixerHcp"));
    setWindowTitle(QStringLiteral("Fixer le compilateur"));
    fixeddialog::apply(this, QSize(440, 160));

    Label1 = new QLabel(QStringLiteral("Chemin du compilateur"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 14, 360, 18);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(16, 34, 360, 24);
    Label1->setBuddy(Edit1);

    Button1 = plainButton(QStringLiteral("..."), "Button1", this);
    Button1->setGeometry(384, 34, 40, 24);
    Button1->setToolTip(QStringLiteral("Choisir le programme du compilateur"));
    Button1->setAccessibleName(Button1->toolTip());

    Label2 = new QLabel(QStringLiteral("Laisser le chemin vide pour utiliser le compilateur intégré."), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(16, 66, 408, 36);
    Label2->setWordWrap(true);

    Button2 = plainButton(QStringLiteral("OK"), "Button2", this);
    Button2->setGeometry(264, 118, 75, 26);
    Button3 = plainButton(QStringLiteral("Annuler"), "Button3", this);
    Button3->setGeometry(349, 118, 75, 26);

    connect(Button1, &QPushButton::clicked, this, &TFixerHcp::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFixerHcp::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TFixerHcp::Button3Click);
}

void TFixerHcp::Init(const QString& path)
{
    confirmed_ = false;
    Edit1->setText(path);
}

void TFixerHcp::Result(QString& path) const
{
    if (confirmed_)
        path = Edit1->text();
}

void TFixerHcp::Button1Click()
{
    const QString chosen = prompts().openFileName(this,
        QStringLiteral("Fichiers exe (*.exe)|*.exe|Tous les fichiers (*.*)|*.*"), Edit1->text(), QStringLiteral("exe"));
    if (!chosen.isEmpty())
        Edit1->setText(chosen);
}

void TFixerHcp::Button2Click()
{
    confirmed_ = true;
    accept();
}

void TFixerHcp::Button3Click()
{
    confirmed_ = false;
    reject();
}

void TFixerHcp::showEvent(QShowEvent* event)
{
    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
    Edit1->setFocus();
    QDialog::showEvent(event);
}
