#include "store/windows/PageListe.h"

#include "platform/windows/ListChoice.h"
#include "store/windows/PageDialogParts.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

namespace {
constexpr int TopicRole = Qt::UserRole; // the topic's number at Init: entries never go by title
}

TPageListe::TPageListe(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TPageListe"));
    setWindowTitle(QStringLiteral("Index des pages"));
    pagedialogs::makeFixed(this, 413, 380);

    Panel1 = pagedialogs::topBar(this);
    SpeedButton3 = pagedialogs::arrowButton(Panel1, "SpeedButton3", Qt::UpArrow, QStringLiteral("Monter"), 4);
    SpeedButton4 = pagedialogs::arrowButton(Panel1, "SpeedButton4", Qt::DownArrow, QStringLiteral("Descendre"), 30);
    Button1 = pagedialogs::closeButton(Panel1, "Button1");

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(0, pagedialogs::BarHeight, width(), height() - pagedialogs::BarHeight);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setUniformItemSizes(true); // 10,000 titles fill and scroll without measuring each
    ListBox1->installEventFilter(this);

    connect(SpeedButton3, &QToolButton::clicked, this, &TPageListe::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TPageListe::SpeedButton4Click);
    connect(Button1, &QPushButton::clicked, this, &TPageListe::Button1Click);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TPageListe::ListBox1DblClick);
}

void TPageListe::Init(const QStringList& lines, int current)
{
    ListBox1->clear();
    const QList<store::PageEntry> entries = store::pageEntries(lines);
    for (const store::PageEntry& e : entries) {
        auto* item = new QListWidgetItem(e.title);
        item->setData(TopicRole, e.number);
        ListBox1->addItem(item);
        if (e.number == current) {
            ListBox1->setCurrentItem(item);
            item->setSelected(true);
        }
    }
}

store::Renumbering TPageListe::Result(QStringList& lines, bool& modified) const
{
    QList<int> order;
    order.reserve(ListBox1->count());
    for (int row = 0; row < ListBox1->count(); ++row)
        order << ListBox1->item(row)->data(TopicRole).toInt();
    const store::Renumbering r = store::renumberTopics(lines, order);
    if (r.changed)
        modified = true;
    return r;
}

int TPageListe::chosenTopic() const
{
    const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
    return selected.isEmpty() ? -1 : selected.front()->data(TopicRole).toInt();
}

void TPageListe::exchange(int row, int other)
{
    QListWidgetItem* item = ListBox1->takeItem(row);
    ListBox1->insertItem(other, item);
    ListBox1->setCurrentItem(item);
    item->setSelected(true);
}

void TPageListe::SpeedButton3Click()
{
    const int row = listchoice::selectedRow(ListBox1);
    if (row > 0)
        exchange(row, row - 1);
}

void TPageListe::SpeedButton4Click()
{
    const int row = listchoice::selectedRow(ListBox1);
    if (row >= 0 && row < ListBox1->count() - 1)
        exchange(row, row + 1);
}

void TPageListe::ListBox1DblClick()
{
    accept();
}

void TPageListe::Button1Click()
{
    accept();
}

bool TPageListe::FormKeyPress(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        accept();
        return true;
    }
    if (key == Qt::Key_Escape) {
        ListBox1->clearSelection();
        ListBox1->setCurrentItem(nullptr);
        reject();
        return true;
    }
    return false;
}

bool TPageListe::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ListBox1 && event->type() == QEvent::KeyPress
        && FormKeyPress(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TPageListe::showEvent(QShowEvent* event)
{
    ListBox1->setFocus();
    QDialog::showEvent(event);
}

void TPageListe::keyPressEvent(QKeyEvent* event)
{
    if (!FormKeyPress(event->key()))
        QDialog::keyPressEvent(event);
}
