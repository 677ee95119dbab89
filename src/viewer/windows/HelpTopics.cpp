#include "viewer/windows/HelpTopics.h"

#include "platform/windows/Prompts.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int TopicRole = Qt::UserRole;
constexpr int WindowRole = Qt::UserRole + 1;
constexpr int MaxResults = 1000; // more would say nothing a narrower search does not

QWidget* page(QWidget* parent, const QString& label, QWidget* field, QWidget* list)
{
    auto* w = new QWidget(parent);
    auto* v = new QVBoxLayout(w);
    if (field) {
        auto* l = new QLabel(label, w);
        l->setBuddy(field);
        v->addWidget(l);
        v->addWidget(field);
    }
    v->addWidget(list, 1);
    return w;
}

} // namespace

HelpTopics::HelpTopics(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("HelpTopics"));
    setWindowTitle(QStringLiteral("Rubriques d'aide"));
    resize(440, 460);
    Tabs = new QTabWidget(this);
    Tabs->setObjectName(QStringLiteral("Tabs"));

    TreeContents = new QTreeWidget(this);
    TreeContents->setObjectName(QStringLiteral("TreeContents"));
    TreeContents->setHeaderHidden(true);
    Tabs->addTab(page(this, {}, nullptr, TreeContents), QStringLiteral("&Sommaire"));

    EditIndex = new QLineEdit(this);
    EditIndex->setObjectName(QStringLiteral("EditIndex"));
    ListIndex = new QListWidget(this);
    ListIndex->setObjectName(QStringLiteral("ListIndex"));
    Tabs->addTab(page(this, QStringLiteral("&Tapez les premières lettres du mot cherché :"), EditIndex, ListIndex),
        QStringLiteral("&Index"));

    EditSearch = new QLineEdit(this);
    EditSearch->setObjectName(QStringLiteral("EditSearch"));
    ListSearch = new QListWidget(this);
    ListSearch->setObjectName(QStringLiteral("ListSearch"));
    Tabs->addTab(page(this, QStringLiteral("&Tapez les mots à rechercher :"), EditSearch, ListSearch),
        QStringLiteral("&Rechercher"));

    auto* buttons = new QDialogButtonBox(this);
    ShowBtn = buttons->addButton(QStringLiteral("&Afficher"), QDialogButtonBox::AcceptRole);
    ShowBtn->setObjectName(QStringLiteral("ShowBtn"));
    ShowBtn->setDefault(true);
    CancelBtn = buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(ShowBtn, &QPushButton::clicked, this, &HelpTopics::showChosen);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto* v = new QVBoxLayout(this);
    v->addWidget(Tabs, 1);
    v->addWidget(buttons);

    connect(EditIndex, &QLineEdit::textChanged, this, &HelpTopics::filterIndex);
    connect(EditSearch, &QLineEdit::textChanged, this, &HelpTopics::runSearch);
    connect(ListIndex, &QListWidget::itemActivated, this, &HelpTopics::showChosen);
    connect(ListSearch, &QListWidget::itemActivated, this, &HelpTopics::showChosen);
    connect(TreeContents, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (item->data(0, TopicRole).toInt() >= 0)
            showChosen();
        else
            item->setExpanded(!item->isExpanded());
    });
    // The arrows in a box move through its list, as in the viewers of the format.
    EditIndex->installEventFilter(this);
    EditSearch->installEventFilter(this);
    connect(Tabs, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab == 1)
            EditIndex->setFocus();
        else if (tab == 2)
            EditSearch->setFocus();
        else
            TreeContents->setFocus();
    });
}

void HelpTopics::Init(const viewer::HelpSession& session, Tab tab, const QString& filter)
{
    session_ = &session;
    chosen_ = -1;
    chosenWindow_.clear();
    setWindowTitle(QStringLiteral("Rubriques d'aide : %1").arg(session.title()));

    TreeContents->clear();
    std::vector<QTreeWidgetItem*> parents;
    for (const viewer::ContentsNode& node : session.contents()) {
        const size_t depth = static_cast<size_t>(qMax(0, node.depth));
        parents.resize(qMin(parents.size(), depth));
        auto* item = parents.empty() ? new QTreeWidgetItem(TreeContents) : new QTreeWidgetItem(parents.back());
        item->setText(0, node.topic >= 0 ? node.text : QStringLiteral("📖 ") + node.text);
        item->setData(0, TopicRole, node.topic);
        item->setData(0, WindowRole, node.window);
        parents.push_back(item);
    }
    if (TreeContents->topLevelItemCount() > 0)
        TreeContents->setCurrentItem(TreeContents->topLevelItem(0));

    ListIndex->clear();
    const auto& keywords = session.keywords();
    for (size_t i = 0; i < keywords.size(); ++i) {
        auto* item = new QListWidgetItem(keywords[i].text, ListIndex);
        item->setData(TopicRole, static_cast<int>(i));
    }
    EditIndex->setText(filter);
    filterIndex(filter);
    EditSearch->clear();
    ListSearch->clear();

    Tabs->setCurrentIndex(tab == Tab::Contents ? 0 : tab == Tab::Index ? 1 : 2);
    if (tab == Tab::Index)
        EditIndex->setFocus();
    else if (tab == Tab::Search)
        EditSearch->setFocus();
    else
        TreeContents->setFocus();
}

void HelpTopics::filterIndex(const QString& text)
{
    if (!session_)
        return;
    std::vector<bool> keep(static_cast<size_t>(ListIndex->count()), false);
    for (const int k : session_->filterKeywords(text))
        if (k < ListIndex->count())
            keep[static_cast<size_t>(k)] = true;
    QListWidgetItem* first = nullptr;
    for (int row = 0; row < ListIndex->count(); ++row) {
        ListIndex->setRowHidden(row, !keep[static_cast<size_t>(row)]);
        if (!first && keep[static_cast<size_t>(row)])
            first = ListIndex->item(row);
    }
    ListIndex->setCurrentItem(first);
    if (first)
        ListIndex->scrollToItem(first, QAbstractItemView::PositionAtTop);
}

void HelpTopics::runSearch(const QString& text)
{
    ListSearch->clear();
    if (!session_)
        return;
    const std::vector<int> found = session_->search(text);
    for (size_t i = 0; i < found.size() && i < MaxResults; ++i) {
        auto* item = new QListWidgetItem(session_->topicTitle(found[i]), ListSearch);
        item->setData(TopicRole, found[i]);
    }
    if (ListSearch->count() > 0)
        ListSearch->setCurrentRow(0);
}

bool HelpTopics::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == EditIndex || watched == EditSearch)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        QListWidget* list = watched == EditIndex ? ListIndex : ListSearch;
        if (key == Qt::Key_Down || key == Qt::Key_Up || key == Qt::Key_PageDown || key == Qt::Key_PageUp) {
            QKeyEvent copy(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(list, &copy);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void HelpTopics::showChosen()
{
    if (!session_)
        return;
    const int tab = Tabs->currentIndex();
    if (tab == 0) {
        const QTreeWidgetItem* item = TreeContents->currentItem();
        if (!item || item->data(0, TopicRole).toInt() < 0)
            return;
        chosen_ = item->data(0, TopicRole).toInt();
        chosenWindow_ = item->data(0, WindowRole).toByteArray();
    } else if (tab == 1) {
        const QListWidgetItem* item = ListIndex->currentItem();
        if (!item || ListIndex->isRowHidden(ListIndex->row(item)))
            return;
        const viewer::Keyword& k = session_->keywords()[static_cast<size_t>(item->data(TopicRole).toInt())];
        chosen_ = k.topics.size() == 1 ? k.topics.front() : chooseAmong(this, *session_, k.topics, k.text);
        if (chosen_ < 0)
            return;
    } else {
        const QListWidgetItem* item = ListSearch->currentItem();
        if (!item)
            return;
        chosen_ = item->data(TopicRole).toInt();
    }
    accept();
}

int HelpTopics::chooseAmong(QWidget* parent, const viewer::HelpSession& session, const std::vector<int>& topics,
    const QString& caption)
{
    if (topics.empty())
        return -1;
    QDialog d(parent);
    d.setObjectName(QStringLiteral("FoundTopics"));
    d.setWindowTitle(QStringLiteral("Rubriques trouvées"));
    d.resize(380, 300);
    auto* label = new QLabel(QStringLiteral("Rubriques pour « %1 » :").arg(caption), &d);
    auto* list = new QListWidget(&d);
    list->setObjectName(QStringLiteral("ListFound"));
    for (const int t : topics) {
        auto* item = new QListWidgetItem(session.topicTitle(t), list);
        item->setData(TopicRole, t);
    }
    list->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(&d);
    QPushButton* show = buttons->addButton(QStringLiteral("&Afficher"), QDialogButtonBox::AcceptRole);
    show->setDefault(true);
    buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemActivated, &d, &QDialog::accept);
    auto* v = new QVBoxLayout(&d);
    v->addWidget(label);
    v->addWidget(list, 1);
    v->addWidget(buttons);
    list->setFocus();
    if (prompts().showModal(d) != QDialog::Accepted || !list->currentItem())
        return -1;
    return list->currentItem()->data(TopicRole).toInt();
}
