#include "editor/windows/TLstPopUp.h"

#include "platform/windows/ListChoice.h"
#include "store/core/PopupBlocks.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TLstPopUp::TLstPopUp(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("LstPopUp"));
    setWindowTitle(QStringLiteral("Liste des PopUp"));

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Button2 = new QPushButton(QStringLiteral("Annuler"), Panel1);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button1 = new QPushButton(QStringLiteral("OK"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    for (QPushButton* b : {Button2, Button1}) {
        b->setAutoDefault(false); // Enter is handled by the dialog itself
        b->setFocusPolicy(Qt::TabFocus);
    }
    auto* bar = new QHBoxLayout(Panel1);
    bar->setContentsMargins(6, 4, 6, 4);
    bar->addStretch();
    bar->addWidget(Button2);
    bar->addWidget(Button1);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setUniformItemSizes(true); // hundreds of popups fill the list at once
    ListBox1->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(ListBox1, 1);

    connect(Button1, &QPushButton::clicked, this, &TLstPopUp::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TLstPopUp::Button2Click);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TLstPopUp::ListBox1DblClick);
    setFixedSize(320, 300);
    ListBox1->setFocus();
}

void TLstPopUp::Init(const QStringList& lines)
{
    setResult(QDialog::Rejected); // an earlier showing's choice does not count
    ListBox1->clear();
    ListBox1->addItems(store::popupTitles(lines));
    // The first entry is highlighted, so Enter alone opens it.
    if (ListBox1->count() > 0)
        ListBox1->setCurrentRow(0);
}

int TLstPopUp::ItemIndex() const
{
    // Closed by "Annuler", Escape or the close box: no choice.
    if (result() != QDialog::Accepted)
        return -1;
    return listchoice::selectedRow(ListBox1);
}

void TLstPopUp::Button1Click()
{
    accept();
}

void TLstPopUp::Button2Click()
{
    ListBox1->clearSelection();
    ListBox1->setCurrentRow(-1);
    reject();
}

void TLstPopUp::ListBox1DblClick()
{
    accept();
}

bool TLstPopUp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ListBox1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Button1Click();
            return true;
        }
        if (key == Qt::Key_Escape) {
            Button2Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TLstPopUp::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: Button1Click(); return;
    case Qt::Key_Escape: Button2Click(); return;
    default: QDialog::keyPressEvent(event);
    }
}

void TLstPopUp::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    ListBox1->setFocus();
}
