#include "viewer/windows/HelpPreview.h"

#include "viewer/core/HelpSession.h"
#include "viewer/windows/PopupWindow.h"
#include "viewer/windows/TopicView.h"
#include "winhelp/model/Diagnostics.h"
#include "winhelp/project/RtfReader.h"
#include "winhelp/render/PictureDecode.h"

#include <QListWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

HelpPreview::HelpPreview(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Preview"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Problems = new QListWidget(this);
    Problems->setObjectName(QStringLiteral("Problems"));
    Problems->setMaximumHeight(72);
    // A message is read whole, wrapped to the preview's width: its end says what the build will do.
    Problems->setWordWrap(true);
    Problems->setResizeMode(QListView::Adjust);
    Problems->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Problems->setFocusPolicy(Qt::ClickFocus);
    Problems->hide();
    QPalette warn = Problems->palette();
    warn.setColor(QPalette::Base, QColor(255, 244, 206));
    Problems->setPalette(warn);
    View = new TopicView(this);
    View->setObjectName(QStringLiteral("View"));
    layout->addWidget(Problems);
    layout->addWidget(View, 1);
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    timer_->setInterval(Delay);
    connect(timer_, &QTimer::timeout, this, &HelpPreview::refreshNow);
    connect(View, &TopicView::linkActivated, this, &HelpPreview::follow);
    connect(Problems, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int row = Problems->row(item);
        if (row >= 0 && row < places_.size())
            Q_EMIT problemChosen(places_[row]);
    });
}

HelpPreview::~HelpPreview() = default;

PopupWindow* HelpPreview::popupWindow() const
{
    return popup_.data();
}

void HelpPreview::sourceChanged()
{
    stale_ = true;
    // Hidden, it waits to be shown; nothing is done on the key itself.
    if (isVisible())
        timer_->start();
}

void HelpPreview::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (stale_)
        timer_->start(0);
}

void HelpPreview::refreshNow()
{
    timer_->stop();
    stale_ = false;
    const Source source = provider_ ? provider_() : Source{};
    auto help = std::make_shared<hlp::LoadedHelp>();
    help->project.folder = source.folder;
    hlp::Diagnostics diagnostics;
    hlp::RtfReader(help->document, diagnostics).read(source.rtf, QStringLiteral("aperçu"));
    hlp::readPictureFiles(help->document, source.folder);
    // The topic is the first one; the popups it opens follow it.
    session_ = std::make_shared<viewer::HelpSession>(help, QString());
    renderer_ = std::make_unique<hlp::HelpRenderer>(session_->help().document, session_->help().project);
    if (session_->topicCount() > 0)
        View->showTopic(*renderer_, 0);
    else
        View->clear();

    Problems->clear();
    Problems->addItems(source.problems);
    Problems->setVisible(!source.problems.isEmpty());
    places_ = source.places;
    Q_EMIT refreshed();
}

void HelpPreview::follow(const hlp::LinkRef& link, const QPoint& at)
{
    if (!session_)
        return;
    if (link.kind == hlp::LinkKind::Popup) {
        const int topic = session_->topicForContext(link.target);
        if (topic < 0)
            return;
        if (popup_)
            popup_->close();
        popup_ = new PopupWindow(this);
        connect(popup_, &PopupWindow::linkActivated, this, &HelpPreview::follow);
        popup_->popup(*renderer_, topic, at, QColor());
    } else if (link.kind == hlp::LinkKind::Jump) {
        Q_EMIT jumpRequested(link.target);
    }
}
