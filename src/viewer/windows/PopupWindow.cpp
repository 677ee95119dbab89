#include "viewer/windows/PopupWindow.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

constexpr int MaxWidth = 420; // about the width of the viewers' popups
constexpr int MinWidth = 120;

} // namespace

PopupWindow::PopupWindow(QWidget* parent)
    : QFrame(parent, Qt::Popup)
{
    setObjectName(QStringLiteral("PopupWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    Text = new QTextBrowser(this);
    Text->setObjectName(QStringLiteral("PopupText"));
    Text->setFrameShape(QFrame::NoFrame);
    Text->setOpenLinks(false);
    Text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text->viewport()->installEventFilter(this);
    layout->addWidget(Text);
    setFocusProxy(Text);
    connect(Text, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        hlp::LinkRef link;
        if (!hlp::parseLinkHref(url.toString(), link))
            return;
        const QPoint at = Text->viewport()->mapToGlobal(Text->cursorRect(Text->textCursor()).bottomLeft());
        close();
        Q_EMIT linkActivated(link, at);
    });
}

void PopupWindow::popup(hlp::HelpRenderer& renderer, int topic, const QPoint& at, const QColor& background)
{
    renderer.renderWhole(topic, *Text->document());
    if (background.isValid()) {
        QPalette p = Text->palette();
        p.setColor(QPalette::Base, background);
        Text->setPalette(p);
    }
    QTextDocument* doc = Text->document();
    doc->setTextWidth(-1);
    const int ideal = int(doc->idealWidth()) + 2 * int(doc->documentMargin());
    const int width = qBound(MinWidth, ideal + 4, MaxWidth);
    doc->setTextWidth(width - 4);
    QRect screen(0, 0, 1024, 768);
    if (const QScreen* s = QGuiApplication::screenAt(at) ? QGuiApplication::screenAt(at) : QGuiApplication::primaryScreen())
        screen = s->availableGeometry();
    const int height = qMin(int(doc->size().height()) + 4, screen.height() * 2 / 3);
    resize(width, height);
    QPoint place = at + QPoint(0, 2);
    place.setX(qBound(screen.left(), place.x(), qMax(screen.left(), screen.right() - width)));
    if (place.y() + height > screen.bottom())
        place.setY(qMax(screen.top(), at.y() - height - 20));
    move(place);
    show();
    Text->setFocus();
}

bool PopupWindow::eventFilter(QObject* watched, QEvent* event)
{
    // A click that is not on a hot spot closes the popup, as in the viewers of the format.
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* m = static_cast<QMouseEvent*>(event);
        pressedOnLink_ = !Text->anchorAt(m->position().toPoint()).isEmpty();
    } else if (event->type() == QEvent::MouseButtonRelease && !pressedOnLink_) {
        close();
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

void PopupWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QFrame::keyPressEvent(event);
}
