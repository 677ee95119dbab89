#include "publish/windows/TCompileReport.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TCompileReport::TCompileReport(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TCompileReport"));
    setWindowTitle(QStringLiteral("Compilation"));
    resize(620, 320);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Button1 = new QPushButton(QStringLiteral("&Copier"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Fermer"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(text()); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1);
    layout->addLayout(buttons);
}

void TCompileReport::Init(const QString& hlpPath, const QStringList& diagnostics, bool written,
    const QStringList& warnings)
{
    QStringList lines;
    lines << (written ? QStringLiteral("Fichier d'aide écrit : %1").arg(hlpPath)
                      : QStringLiteral("Le fichier d'aide « %1 » n'a PAS été écrit.").arg(hlpPath));
    lines << warnings << diagnostics;
    Memo1->setPlainText(lines.join(u'\n'));
}

QString TCompileReport::text() const
{
    return Memo1->toPlainText();
}

void TCompileReport::InitWarnings(const QStringList& warnings)
{
    QStringList lines{QStringLiteral("Fichiers de l'aide écrits, avec des avertissements :")};
    lines << warnings;
    Memo1->setPlainText(lines.join(u'\n'));
}
