#include "editor/windows/LienAussi.h"

#include "platform/windows/ListChoice.h"
#include "store/core/PageOrder.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
QPushButton* barButton(const QString& text, const char* name, QWidget* bar)
{
    auto* b = new QPushButton(text, bar);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false); // Enter is the dialog's own key, never a button's
    b->setDefault(false);
    b->setFixedWidth(75);
    return b;
}
} // namespace

TLienAussi::TLienAussi(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TLienAussi"));
    setWindowTitle(QString::fromUtf8("Sélectionner rubrique voir aussi"));
    resize(360, 400);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(33);
    Button2 = barButton(QStringLiteral("Annuler"), "Button2", Panel1);
    Button1 = barButton(QStringLiteral("OK"), "Button1", Panel1);
    auto* bar = new QHBoxLayout(Panel1);
    bar->setContentsMargins(4, 4, 4, 4);
    bar->addWidget(Button2);
    bar->addWidget(Button1);
    bar->addStretch(1);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setUniformItemSizes(true);
    ListBox1->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(ListBox1, 1);

    connect(Button1, &QPushButton::clicked, this, &TLienAussi::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TLienAussi::Button2Click);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TLienAussi::ListBox1DblClick);
}

void TLienAussi::Init(const QStringList& lines, int current)
{
    titles_.clear();
    for (const store::PageEntry& e : store::pageEntries(lines))
        titles_ << e.title;
    ListBox1->clear();
    ListBox1->addItems(titles_);
    if (current >= 0 && current < ListBox1->count())
        ListBox1->setCurrentRow(current);
}

int TLienAussi::chosenTopic() const
{
    return listchoice::selectedRow(ListBox1);
}

void TLienAussi::Button1Click()
{
    accept();
}

void TLienAussi::Button2Click()
{
    ListBox1->clearSelection();
    ListBox1->setCurrentItem(nullptr);
    reject();
}

void TLienAussi::ListBox1DblClick()
{
    accept();
}

bool TLienAussi::FormKeyPress(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        Button1Click();
        return true;
    }
    if (key == Qt::Key_Escape) {
        Button2Click();
        return true;
    }
    return false;
}

bool TLienAussi::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ListBox1 && event->type() == QEvent::KeyPress
        && FormKeyPress(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TLienAussi::keyPressEvent(QKeyEvent* event)
{
    if (!FormKeyPress(event->key()))
        QDialog::keyPressEvent(event);
}

void TLienAussi::showEvent(QShowEvent* event)
{
    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
    ListBox1->setFocus();
    QDialog::showEvent(event);
}
