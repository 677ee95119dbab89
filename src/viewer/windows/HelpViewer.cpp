#include "viewer/windows/HelpViewer.h"

#include "platform/windows/Prompts.h"
#include "viewer/windows/HelpTopics.h"
#include "viewer/windows/PopupWindow.h"
#include "viewer/windows/TopicView.h"
#include "winhelp/reader/HelpFileRead.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QColor colourOf(bool has, std::uint32_t bgr)
{
    return has ? QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF)) : QColor();
}

// A window's place as the help gives it: fractions of the screen in 1024ths; the fields not
// given keep `fallback`'s.
QRect placeOf(const hlp::WindowDef& w, const QRect& fallback)
{
    const QScreen* s = QGuiApplication::primaryScreen();
    const QRect screen = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
    const auto along = [](int value, int length) { return qBound(0, value, 1023) * length / 1024; };
    QRect r = fallback;
    if (w.hasX)
        r.moveLeft(screen.left() + along(w.x, screen.width()));
    if (w.hasY)
        r.moveTop(screen.top() + along(w.y, screen.height()));
    if (w.hasWidth && w.width > 0)
        r.setWidth(qMax(160, along(w.width, screen.width())));
    if (w.hasHeight && w.height > 0)
        r.setHeight(qMax(120, along(w.height, screen.height())));
    return r;
}

// A secondary window: one topic view, its own caption, place and colours.
class SecondaryWindow : public QWidget {
public:
    explicit SecondaryWindow(QWidget* owner)
        : QWidget(owner, Qt::Window)
    {
        setAttribute(Qt::WA_DeleteOnClose);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        View = new TopicView(this);
        View->setObjectName(QStringLiteral("View"));
        layout->addWidget(View);
        resize(420, 360);
    }
    TopicView* View;
};

} // namespace

QString HelpViewer::fileFilter()
{
    return QStringLiteral("Fichiers d'aide (*.hlp)|*.hlp;*.HLP|Projets d'aide (*.hpj)|*.hpj;*.HPJ|Tous les fichiers (*.*)|*.*");
}

HelpViewer::HelpViewer(QWidget* parent)
    : QMainWindow(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Aide"));
    resize(640, 560);
    View = new TopicView(this);
    View->setObjectName(QStringLiteral("View"));
    setCentralWidget(View);
    connect(View, &TopicView::linkActivated, this, [this](const hlp::LinkRef& link, const QPoint& at) { follow(link, at, View); });

    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("Buttons"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->toggleViewAction()->setVisible(false);
    addToolBar(Qt::TopToolBarArea, bar);
    ContentsBtn = button(QStringLiteral("ContentsBtn"), QStringLiteral("&Sommaire"), QStringLiteral("Le sommaire de l'aide"),
        [this] { showContentsTree(); });
    IndexBtn = button(QStringLiteral("IndexBtn"), QStringLiteral("&Index"), QStringLiteral("Les mots clés de l'aide"),
        [this] { showIndex(); });
    SearchBtn = button(QStringLiteral("SearchBtn"), QStringLiteral("&Rechercher"),
        QStringLiteral("Chercher des mots dans le texte de l'aide"), [this] { showSearch(); });
    BackBtn = button(QStringLiteral("BackBtn"), QStringLiteral("&Précédent"), QStringLiteral("Revenir à la rubrique vue avant"),
        [this] { goBack(); });
    ForwardBtn = button(QStringLiteral("ForwardBtn"), QStringLiteral("Sui&vant"),
        QStringLiteral("Retourner à la rubrique quittée par « Précédent »"), [this] { goForward(); });
    PrevBtn = button(QStringLiteral("PrevBtn"), QStringLiteral("&«"), QStringLiteral("Rubrique précédente de la série"),
        [this] { browsePrevious(); });
    NextBtn = button(QStringLiteral("NextBtn"), QStringLiteral("&»"), QStringLiteral("Rubrique suivante de la série"),
        [this] { browseNext(); });
    PrintBtn = button(QStringLiteral("PrintBtn"), QStringLiteral("I&mprimer"), QStringLiteral("Imprimer la rubrique"),
        [this] { printTopic(); });
    CopyBtn = button(QStringLiteral("CopyBtn"), QStringLiteral("&Copier"), QStringLiteral("Copier la rubrique"),
        [this] { copyTopic(); });
    for (QToolButton* b : {ContentsBtn, IndexBtn, SearchBtn, BackBtn, ForwardBtn, PrevBtn, NextBtn, PrintBtn, CopyBtn})
        bar->addWidget(b);
    createMenus();
    updateButtons();
}

HelpViewer::~HelpViewer() = default;

QToolButton* HelpViewer::button(const QString& name, const QString& caption, const QString& hint,
    const std::function<void()>& handler)
{
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setStatusTip(hint);
    b->setFocusPolicy(Qt::NoFocus); // the keys stay with the text and its hot spots
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto* action = new QAction(caption, b);
    // The underlined letter with Alt, wherever the focus is in the window.
    const qsizetype amp = caption.indexOf(QLatin1Char('&'));
    if (amp >= 0 && amp + 1 < caption.size())
        action->setShortcut(QKeySequence(QStringLiteral("Alt+") + caption.at(amp + 1).toUpper()));
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, handler);
    b->setDefaultAction(action);
    return b;
}

void HelpViewer::createMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Fichier"));
    file->setObjectName(QStringLiteral("FileMenu"));
    QAction* open = file->addAction(QStringLiteral("&Ouvrir..."), this, &HelpViewer::openOther);
    open->setObjectName(QStringLiteral("OpenItem"));
    QAction* print = file->addAction(QStringLiteral("&Imprimer la rubrique..."), this, &HelpViewer::printTopic);
    print->setObjectName(QStringLiteral("PrintItem"));
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    file->addSeparator();
    QAction* close = file->addAction(QStringLiteral("&Fermer"), this, &QWidget::close);
    close->setObjectName(QStringLiteral("CloseItem"));
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edition"));
    edit->setObjectName(QStringLiteral("EditMenu"));
    QAction* copy = edit->addAction(QStringLiteral("&Copier"), this, &HelpViewer::copyTopic);
    copy->setObjectName(QStringLiteral("CopyItem"));
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    QAction* back = new QAction(this);
    back->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    connect(back, &QAction::triggered, this, &HelpViewer::goBack);
    QAction* forward = new QAction(this);
    forward->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    connect(forward, &QAction::triggered, this, &HelpViewer::goForward);
    addAction(back);
    addAction(forward);
}

bool HelpViewer::openFile(const QString& path)
{
    const bool project = path.endsWith(QLatin1String(".hpj"), Qt::CaseInsensitive);
    if (!QFileInfo(path).isFile()) {
        prompts().tell(isVisible() ? this : parentWidget(), QStringLiteral("Le fichier d'aide « %1 » est introuvable.").arg(path),
            Prompts::Kind::Error);
        return false;
    }
    const hlp::HelpFileRead read = project ? hlp::readHelpProject(path) : hlp::readHelpFile(path);
    if (!read.help) {
        prompts().tell(isVisible() ? this : parentWidget(),
            read.error.isEmpty() ? QStringLiteral("Le fichier d'aide « %1 » n'a pas pu être lu.").arg(path)
                                 : QStringLiteral("Le fichier d'aide « %1 » n'a pas pu être lu : %2").arg(path, read.error),
            Prompts::Kind::Error);
        return false;
    }
    openHelp(read.help, path);
    readAt_ = QFileInfo(path).lastModified();
    return true;
}

bool HelpViewer::shows(const QString& path) const
{
    if (!session_)
        return false;
    const QFileInfo now(path);
    return now.canonicalFilePath() == QFileInfo(session_->path()).canonicalFilePath() && now.lastModified() == readAt_;
}

void HelpViewer::openHelp(std::shared_ptr<const hlp::LoadedHelp> help, const QString& path)
{
    if (popup_)
        popup_->close();
    for (const QPointer<QWidget>& w : std::as_const(windows_))
        if (w)
            w->close();
    windows_.clear();
    readAt_ = {};
    renderer_.reset();
    session_ = std::make_shared<viewer::HelpSession>(std::move(help), path);
    renderer_ = std::make_unique<hlp::HelpRenderer>(session_->help().document, session_->help().project);
    history_.clear();
    current_ = -1;
    applyWindow();
    display(session_->contentsTopic(), true);
}

void HelpViewer::applyWindow()
{
    setWindowTitle(session_->title());
    const hlp::WindowDef* main = session_->window("main");
    if (!main) {
        View->setColours({}, {});
        return;
    }
    View->setColours(colourOf(main->hasColour, main->colour), colourOf(main->hasNonScrollColour, main->nonScrollColour));
    if (main->hasPosition())
        setGeometry(placeOf(*main, geometry()));
}

void HelpViewer::updateButtons()
{
    const bool open = session_ != nullptr;
    for (QToolButton* b : {ContentsBtn, IndexBtn, SearchBtn, PrintBtn, CopyBtn})
        b->defaultAction()->setEnabled(open);
    BackBtn->defaultAction()->setEnabled(history_.canGoBack());
    ForwardBtn->defaultAction()->setEnabled(history_.canGoForward());
    const hlp::BrowseNeighbours n = open ? session_->browse(current_) : hlp::BrowseNeighbours{};
    PrevBtn->defaultAction()->setEnabled(n.previous >= 0);
    NextBtn->defaultAction()->setEnabled(n.next >= 0);
}

void HelpViewer::display(int topic, bool record)
{
    if (!session_ || topic < 0 || topic >= session_->topicCount())
        return;
    current_ = topic;
    if (record)
        history_.visit(topic);
    View->showTopic(*renderer_, topic);
    updateButtons();
    Q_EMIT topicShown(topic);
}

void HelpViewer::showTopic(int topic)
{
    display(topic, true);
}

bool HelpViewer::showContext(const QString& context)
{
    if (!session_)
        return false;
    const int topic = session_->topicForArgument(context);
    if (topic < 0) {
        say(QStringLiteral("L'aide « %1 » n'a pas de rubrique « %2 » : elle s'ouvre à son sommaire.")
                .arg(QFileInfo(session_->path()).fileName(), context));
        return false;
    }
    display(topic, true);
    return true;
}

void HelpViewer::say(const QString& message)
{
    prompts().tell(this, message, Prompts::Kind::Information);
}

void HelpViewer::goBack()
{
    const int t = history_.back();
    if (t >= 0)
        display(t, false);
}

void HelpViewer::goForward()
{
    const int t = history_.forward();
    if (t >= 0)
        display(t, false);
}

void HelpViewer::browsePrevious()
{
    if (session_)
        display(session_->browse(current_).previous, true);
}

void HelpViewer::browseNext()
{
    if (session_)
        display(session_->browse(current_).next, true);
}

void HelpViewer::openTopics(int tab, const QString& filter)
{
    if (!session_)
        return;
    HelpTopics topics(this);
    topics.Init(*session_, tab == 0 ? HelpTopics::Tab::Contents : tab == 1 ? HelpTopics::Tab::Index : HelpTopics::Tab::Search, filter);
    if (prompts().showModal(topics) != QDialog::Accepted || topics.chosenTopic() < 0)
        return;
    if (!topics.chosenWindow().isEmpty())
        showInWindow(topics.chosenTopic(), topics.chosenWindow());
    else
        display(topics.chosenTopic(), true);
}

void HelpViewer::showContentsTree()
{
    openTopics(0, {});
}

void HelpViewer::showIndex(const QString& filter)
{
    openTopics(1, filter);
}

void HelpViewer::showSearch()
{
    openTopics(2, {});
}

void HelpViewer::printTopic()
{
    if (!session_ || current_ < 0)
        return;
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer_.get(), this);
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    dialog.setWindowTitle(QStringLiteral("Imprimer"));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (prompts().showModal(dialog) != QDialog::Accepted)
        return;
    QTextDocument doc;
    renderer_->renderWhole(current_, doc);
    doc.print(printer_.get());
}

void HelpViewer::copyTopic()
{
    if (!session_)
        return;
    auto* data = new QMimeData;
    data->setText(View->selectedOrAllText());
    data->setHtml(View->selectedOrAllHtml());
    QGuiApplication::clipboard()->setMimeData(data);
}

void HelpViewer::openOther()
{
    const QString name = prompts().openFileName(this, fileFilter(), QStringLiteral("*.hlp"), QStringLiteral("hlp"),
        QStringLiteral("Ouvrir une aide"));
    if (!name.isEmpty())
        openFile(name);
}

PopupWindow* HelpViewer::popupWindow() const
{
    return popup_.data();
}

QWidget* HelpViewer::secondaryWindow(const QByteArray& name) const
{
    return windows_.value(name.toUpper()).data();
}

void HelpViewer::openPopup(int topic, const QPoint& at)
{
    if (popup_)
        popup_->close();
    popup_ = new PopupWindow(this);
    connect(popup_, &PopupWindow::linkActivated, this, [this](const hlp::LinkRef& link, const QPoint& where) {
        follow(link, where, nullptr);
    });
    const hlp::WindowDef* main = session_->window("main");
    popup_->popup(*renderer_, topic, at, main ? colourOf(main->hasColour, main->colour) : QColor());
}

void HelpViewer::showInWindow(int topic, const QByteArray& window)
{
    if (window.isEmpty() || window.compare("main", Qt::CaseInsensitive) == 0) {
        display(topic, true);
        raise();
        activateWindow();
        return;
    }
    QPointer<QWidget>& slot = windows_[window.toUpper()];
    auto* w = static_cast<SecondaryWindow*>(slot.data());
    if (!w) {
        w = new SecondaryWindow(this);
        w->setObjectName(QStringLiteral("Window_") + QString::fromLatin1(window));
        TopicView* view = w->View;
        connect(view, &TopicView::linkActivated, this, [this, view](const hlp::LinkRef& link, const QPoint& at) {
            follow(link, at, view);
        });
        const hlp::WindowDef* def = session_->window(window);
        w->setWindowTitle(def && !def->caption.isEmpty() ? session_->text(def->caption) : session_->title());
        if (def) {
            view->setColours(colourOf(def->hasColour, def->colour), colourOf(def->hasNonScrollColour, def->nonScrollColour));
            if (def->hasPosition())
                w->setGeometry(placeOf(*def, w->geometry()));
        }
        slot = w;
    }
    w->View->showTopic(*renderer_, topic);
    w->show();
    w->raise();
}

void HelpViewer::follow(const hlp::LinkRef& link, const QPoint& at, TopicView* from)
{
    if (!session_)
        return;
    if (link.kind == hlp::LinkKind::Macro) {
        runMacros(link.target, at, current_);
        return;
    }
    if (!link.file.isEmpty() && link.file.compare(QFileInfo(session_->path()).fileName().toLatin1(), Qt::CaseInsensitive) != 0) {
        // Another help file, beside this one: it opens in this viewer.
        QString name = session_->text(link.file);
        name.replace(QLatin1Char('\\'), QLatin1Char('/'));
        const QString other = QFileInfo(session_->path()).dir().filePath(QFileInfo(name).fileName());
        if (openFile(other))
            showContext(session_->text(link.target));
        return;
    }
    const int topic = session_->topicForContext(link.target);
    if (topic < 0) {
        say(QStringLiteral("La rubrique « %1 » n'existe pas dans cette aide.").arg(session_->text(link.target)));
        return;
    }
    if (link.kind == hlp::LinkKind::Popup) {
        openPopup(topic, at);
        return;
    }
    // A jump from a secondary window stays in it unless it names another window.
    QByteArray window = link.window;
    if (window.isEmpty() && from && from != View) {
        for (auto it = windows_.cbegin(); it != windows_.cend(); ++it)
            if (it.value() && static_cast<SecondaryWindow*>(it.value().data())->View == from)
                window = it.key();
    }
    showInWindow(topic, window);
}

void HelpViewer::keywordTopics(const QStringList& keywords, bool firstOnly)
{
    const std::vector<int> topics = session_->keywordTopics(keywords);
    if (topics.empty()) {
        say(QStringLiteral("Aucune rubrique n'a le mot clé « %1 ».").arg(keywords.join(QStringLiteral(" ; "))));
        return;
    }
    const int t = firstOnly || topics.size() == 1 ? topics.front()
                                                  : HelpTopics::chooseAmong(this, *session_, topics, keywords.join(QStringLiteral(" ; ")));
    if (t >= 0)
        display(t, true);
}

void HelpViewer::runMacros(const QByteArray& macros, const QPoint& at, int current)
{
    const viewer::MacroPlan plan = session_->macros(macros, current);
    using K = viewer::MacroAction::Kind;
    for (const viewer::MacroAction& a : plan.actions) {
        switch (a.kind) {
        case K::Jump:
            showInWindow(a.topic, a.window);
            break;
        case K::Popup:
            openPopup(a.topic, at);
            break;
        case K::Back:
            goBack();
            break;
        case K::Contents:
            display(session_->contentsTopic(), true);
            break;
        case K::Search:
            showIndex();
            break;
        case K::Next:
        case K::Prev:
            display(a.topic, true); // nothing at an end of the sequence
            break;
        case K::Keywords:
            keywordTopics(a.keywords, a.firstOnly);
            break;
        case K::OtherFile:
            if (openFile(a.file) && !a.context.isEmpty())
                showContext(session_->text(a.context));
            return; // the macros that follow belonged to the other help
        }
    }
    if (!plan.missing.isEmpty())
        say(QStringLiteral("La rubrique « %1 » n'existe pas dans cette aide.").arg(plan.missing.join(QStringLiteral(" », « "))));
    if (!plan.unavailable.isEmpty() && plan.actions.empty())
        say(plan.unavailable.size() == 1
                ? QStringLiteral("La macro « %1 » n'est pas disponible dans cette visionneuse.").arg(plan.unavailable.front())
                : QStringLiteral("Les macros « %1 » ne sont pas disponibles dans cette visionneuse.")
                      .arg(plan.unavailable.join(QStringLiteral(" », « "))));
}
