#include "editor/windows/SearchDialogs.h"

#include "platform/core/Cp1252.h"
#include "platform/windows/FieldText.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TFindDialog::TFindDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FindDialog1"));
    setWindowTitle(QStringLiteral("Rechercher"));
    setModal(false);
    Label1 = new QLabel(QStringLiteral("&Rechercher :"), this);
    FindEdit = new QLineEdit(this);
    FindEdit->setObjectName(QStringLiteral("FindEdit"));
    fieldtext::keepOnOneLine(FindEdit); // a topic line holds no line break: neither does what is sought
    FindEdit->setMinimumWidth(220);
    Label1->setBuddy(FindEdit);
    FindButton = new QPushButton(QStringLiteral("&Suivant"), this);
    FindButton->setObjectName(QStringLiteral("FindButton"));
    FindButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Annuler"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(FindEdit, 0, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(FindButton);
    buttons->addWidget(CancelButton);
    buttons->addStretch(1);
    grid->addLayout(buttons, 0, 2, 3, 1);
    grid->setRowStretch(2, 1);

    connect(FindButton, &QPushButton::clicked, this, &TFindDialog::Find);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(FindEdit, &QLineEdit::textChanged, this, &TFindDialog::updateButtons);
    updateButtons();
}

QString TFindDialog::FindText() const
{
    return FindEdit->text();
}

void TFindDialog::setFindText(const QString& text)
{
    FindEdit->setText(text);
}

void TFindDialog::keepClearOf(const QRect& match)
{
    const QRect frame = frameGeometry();
    if (!isVisible() || !frame.intersects(match))
        return;
    constexpr int Gap = 8;
    const QRect screenArea = screen() ? screen()->availableGeometry() : QRect();
    const int below = match.bottom() + Gap;
    const int above = match.top() - Gap - frame.height();
    if (screenArea.isNull() || below + frame.height() <= screenArea.bottom())
        move(frame.x(), below);
    else if (above >= screenArea.top())
        move(frame.x(), above);
}

void TFindDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FindEdit->setFocus();
    FindEdit->selectAll();
}

void TFindDialog::updateButtons()
{
    const bool any = !FindEdit->text().isEmpty();
    for (auto* b : findChildren<QPushButton*>())
        if (b != CancelButton)
            b->setEnabled(any);
}

TReplaceDialog::TReplaceDialog(QWidget* parent)
    : TFindDialog(parent)
{
    setObjectName(QStringLiteral("ReplaceDialog1"));
    setWindowTitle(QStringLiteral("Remplacer"));
    Label2 = new QLabel(QStringLiteral("R&emplacer par :"), this);
    ReplaceEdit = new QLineEdit(this);
    ReplaceEdit->setObjectName(QStringLiteral("ReplaceEdit"));
    fieldtext::keepOnOneLine(ReplaceEdit);
    Label2->setBuddy(ReplaceEdit);
    ReplaceButton = new QPushButton(QStringLiteral("&Remplacer"), this);
    ReplaceButton->setObjectName(QStringLiteral("ReplaceButton"));
    ReplaceButton->setAutoDefault(false);
    ReplaceAllButton = new QPushButton(QStringLiteral("Remplacer &tout"), this);
    ReplaceAllButton->setObjectName(QStringLiteral("ReplaceAllButton"));
    ReplaceAllButton->setAutoDefault(false);

    auto* grid = static_cast<QGridLayout*>(layout());
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(ReplaceEdit, 1, 1);
    auto* buttons = static_cast<QVBoxLayout*>(grid->itemAtPosition(0, 2)->layout());
    buttons->insertWidget(1, ReplaceButton);
    buttons->insertWidget(2, ReplaceAllButton);

    // Tab goes through the two fields first, then the buttons.
    setTabOrder(FindEdit, ReplaceEdit);
    setTabOrder(ReplaceEdit, FindButton);
    setTabOrder(FindButton, ReplaceButton);
    setTabOrder(ReplaceButton, ReplaceAllButton);
    setTabOrder(ReplaceAllButton, CancelButton);

    connect(ReplaceButton, &QPushButton::clicked, this, [this] { Q_EMIT Replace(false); });
    connect(ReplaceAllButton, &QPushButton::clicked, this, [this] { Q_EMIT Replace(true); });
    // The replacement goes into the document: only what a field lets in.
    connect(ReplaceEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        QString kept = text;
        if (cp1252::sanitizeEntered(kept) == 0)
            return;
        const int at = ReplaceEdit->cursorPosition();
        ReplaceEdit->setText(kept);
        ReplaceEdit->setCursorPosition(at);
    });
    updateButtons();
}

QString TReplaceDialog::ReplaceText() const
{
    return ReplaceEdit->text();
}
