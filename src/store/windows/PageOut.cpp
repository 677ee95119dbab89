#include "store/windows/PageOut.h"

#include "store/windows/PageDialogParts.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QSet>
#include <QToolButton>
#include <QTreeWidget>

namespace {
constexpr int EntryRole = Qt::UserRole;      // index of the node's entry in display order
constexpr int TopicRole = Qt::UserRole + 1;  // its topic's number at Init
}

TPageOut::TPageOut(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TPageOut"));
    setWindowTitle(QString::fromUtf8("Hiérarchie des pages"));
    pagedialogs::makeFixed(this, 391, 380);

    Panel1 = pagedialogs::topBar(this);
    SpeedButton2 = pagedialogs::arrowButton(Panel1, "SpeedButton2", Qt::LeftArrow, QStringLiteral("Niveau 1"), 4);
    SpeedButton1 = pagedialogs::arrowButton(Panel1, "SpeedButton1", Qt::RightArrow, QStringLiteral("Niveau 2"), 30);
    SpeedButton3 = pagedialogs::arrowButton(Panel1, "SpeedButton3", Qt::UpArrow, QStringLiteral("Monter"), 64);
    SpeedButton4 = pagedialogs::arrowButton(Panel1, "SpeedButton4", Qt::DownArrow, QStringLiteral("Descendre"), 90);
    Button1 = pagedialogs::closeButton(Panel1, "Button1");

    Outline1 = new QTreeWidget(this);
    Outline1->setObjectName(QStringLiteral("Outline1"));
    Outline1->setGeometry(0, pagedialogs::BarHeight, width(), height() - pagedialogs::BarHeight);
    Outline1->setHeaderHidden(true);
    Outline1->setColumnCount(1);
    Outline1->setSelectionMode(QAbstractItemView::SingleSelection);
    Outline1->setUniformRowHeights(true);
    Outline1->installEventFilter(this);

    connect(SpeedButton1, &QToolButton::clicked, this, &TPageOut::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TPageOut::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TPageOut::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TPageOut::SpeedButton4Click);
    connect(Button1, &QPushButton::clicked, this, &TPageOut::Button1Click);
}

void TPageOut::Init(const QStringList& lines, int current)
{
    Outline1->clear();
    shown_ = store::pageEntries(lines);
    showEntries(current < shown_.size() ? current : -1); // entries stand in number order here
}

store::Renumbering TPageOut::Result(QStringList& lines, bool& modified) const
{
    QList<int> order;
    order.reserve(shown_.size());
    for (const store::PageEntry& e : shown_)
        order << e.number;
    const store::Renumbering r = store::renumberTopics(lines, order);
    const bool levels = store::writeLevels(lines, shown_, r);
    if (r.changed || levels)
        modified = true;
    return r;
}

int TPageOut::selectedIndex() const
{
    const QList<QTreeWidgetItem*> selected = Outline1->selectedItems();
    return selected.isEmpty() ? -1 : selected.front()->data(0, EntryRole).toInt();
}

void TPageOut::showEntries(int select)
{
    // Collapsed nodes stay collapsed when the tree is rebuilt after a move.
    QSet<int> collapsed;
    for (QTreeWidgetItemIterator it(Outline1); *it; ++it)
        if ((*it)->childCount() > 0 && !(*it)->isExpanded())
            collapsed.insert((*it)->data(0, TopicRole).toInt());
    Outline1->clear();

    const QList<int> depth = store::outlineDepths(shown_);
    QList<QTreeWidgetItem*> items(shown_.size(), nullptr);
    QList<QTreeWidgetItem*> tops;
    for (int i = 0; i < shown_.size(); ++i) {
        auto* item = new QTreeWidgetItem(QStringList{shown_[i].title});
        item->setData(0, EntryRole, i);
        item->setData(0, TopicRole, shown_[i].number);
        items[i] = item;
        if (depth[i] > 0)
            items[i - 1]->addChild(item); // a level-2 topic hangs under the one above it
        else
            tops << item;
    }
    Outline1->addTopLevelItems(tops);
    for (int i = 0; i < shown_.size(); ++i)
        if (items[i]->childCount() > 0 && !collapsed.contains(shown_[i].number))
            items[i]->setExpanded(true);
    if (select >= 0 && select < items.size()) {
        for (QTreeWidgetItem* p = items[select]->parent(); p; p = p->parent())
            p->setExpanded(true);
        Outline1->setCurrentItem(items[select]);
        Outline1->scrollToItem(items[select]);
    }
}

void TPageOut::SpeedButton1Click()
{
    const int i = selectedIndex();
    if (store::indentEntry(shown_, i))
        showEntries(i);
}

void TPageOut::SpeedButton2Click()
{
    const int i = selectedIndex();
    if (store::outdentEntry(shown_, i))
        showEntries(i);
}

void TPageOut::SpeedButton3Click()
{
    const int moved = store::moveEntryUp(shown_, selectedIndex());
    if (moved >= 0)
        showEntries(moved);
}

void TPageOut::SpeedButton4Click()
{
    const int moved = store::moveEntryDown(shown_, selectedIndex());
    if (moved >= 0)
        showEntries(moved);
}

void TPageOut::Button1Click()
{
    reject();
}

bool TPageOut::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Outline1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            Button1->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TPageOut::keyPressEvent(QKeyEvent* event)
{
    // Enter closes like Escape: the order shown is the order kept either way.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape)
        Button1->click();
    else
        QDialog::keyPressEvent(event);
}

void TPageOut::showEvent(QShowEvent* event)
{
    Outline1->setFocus();
    QDialog::showEvent(event);
}
