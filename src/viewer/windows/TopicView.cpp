#include "viewer/windows/TopicView.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextLayout>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QVBoxLayout>

TopicView::TopicView(QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Region = browser(QStringLiteral("Region"));
    Region->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Region->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Region->setFrameShape(QFrame::NoFrame);
    Region->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    Region->hide();
    Text = browser(QStringLiteral("Text"));
    Text->setFrameShape(QFrame::NoFrame);
    // The line under the region, as the viewers of the format draw it.
    rule_ = new QFrame(this);
    rule_->setFrameShape(QFrame::HLine);
    rule_->setFrameShadow(QFrame::Plain);
    rule_->hide();
    layout->addWidget(Region);
    layout->addWidget(rule_);
    layout->addWidget(Text, 1);
    setFocusProxy(Text);
}

QTextBrowser* TopicView::browser(const QString& name)
{
    auto* b = new QTextBrowser(this);
    b->setObjectName(name);
    b->setOpenLinks(false);
    b->setOpenExternalLinks(false);
    b->setUndoRedoEnabled(false);
    b->viewport()->installEventFilter(this);
    b->installEventFilter(this);
    connect(b, &QTextBrowser::anchorClicked, this, [this, b](const QUrl& url) { anchorClicked(b, url.toString()); });
    return b;
}

void TopicView::showTopic(hlp::HelpRenderer& renderer, int topic)
{
    renderer.render(topic, *Region->document(), *Text->document());
    Region->setVisible(!Region->document()->isEmpty());
    rule_->setVisible(!Region->isHidden());
    fitRegion();
    Text->verticalScrollBar()->setValue(0);
    Text->horizontalScrollBar()->setValue(0);
    // Tab starts again from the first hot spot of the new text.
    QTextCursor start(Text->document());
    Text->setTextCursor(start);
}

void TopicView::clear()
{
    Region->clear();
    Text->clear();
    Region->hide();
    rule_->hide();
}

void TopicView::setColours(const QColor& text, const QColor& region)
{
    const auto paint = [](QTextBrowser* b, const QColor& c) {
        QPalette p = b->palette();
        if (c.isValid())
            p.setColor(QPalette::Base, c);
        else
            p = QPalette();
        b->setPalette(p);
    };
    paint(Text, text);
    paint(Region, region);
}

void TopicView::fitRegion()
{
    if (Region->isHidden())
        return;
    Region->document()->setTextWidth(qMax(50, width()));
    const int height = int(Region->document()->size().height()) + 2;
    // The region never takes the whole window: past two thirds of it, it scrolls too.
    Region->setFixedHeight(qMin(height, qMax(40, this->height() * 2 / 3)));
    Region->setVerticalScrollBarPolicy(height > Region->height() ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void TopicView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitRegion();
}

bool TopicView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
        const auto* m = static_cast<QMouseEvent*>(event);
        lastPress_ = m->globalPosition().toPoint();
        byMouse_ = true;
        hlp::LinkRef link;
        for (QTextBrowser* b : {Text, Region})
            if (watched == b->viewport() && event->type() == QEvent::MouseButtonRelease && m->button() == Qt::LeftButton
                && !b->textCursor().hasSelection() && pictureLink(b, m->position().toPoint(), link)) {
                Q_EMIT linkActivated(link, lastPress_);
                return true;
            }
    } else if (event->type() == QEvent::KeyPress) {
        byMouse_ = false;
    }
    return QWidget::eventFilter(watched, event);
}

void TopicView::anchorClicked(QTextBrowser* from, const QString& href)
{
    hlp::LinkRef link;
    if (!hlp::parseLinkHref(href, link))
        return;
    QPoint at = lastPress_;
    if (!byMouse_) {
        const QRect r = from->cursorRect(from->textCursor());
        at = from->viewport()->mapToGlobal(r.bottomLeft());
    }
    Q_EMIT linkActivated(link, at);
}

bool TopicView::pictureLink(QTextBrowser* b, const QPoint& at, hlp::LinkRef& link) const
{
    QTextDocument* doc = b->document();
    const QPointF point = QPointF(at) + QPointF(b->horizontalScrollBar()->value(), b->verticalScrollBar()->value());
    const int hit = doc->documentLayout()->hitTest(point, Qt::FuzzyHit);
    for (const int p : {hit, hit - 1}) {
        if (p < 0)
            continue;
        QTextCursor c(doc);
        c.setPosition(p);
        c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        const QTextCharFormat f = c.charFormat();
        if (!f.isImageFormat())
            continue;
        const QList<hlp::PictureLink> links = hlp::pictureLinks(f);
        if (links.isEmpty())
            continue;
        // Where the picture stands: on its line's base line, at its character's place.
        const QTextBlock block = doc->findBlock(p);
        const QTextLine line = block.layout()->lineForTextPosition(p - block.position());
        if (!line.isValid())
            continue;
        const QRectF box = doc->documentLayout()->blockBoundingRect(block);
        const QPointF corner(box.left() + line.cursorToX(p - block.position()),
            box.top() + line.y() + line.ascent() - f.toImageFormat().height());
        const QPoint inside = (point - corner).toPoint();
        for (const hlp::PictureLink& l : links)
            if (l.rect.contains(inside)) {
                link = l.link;
                return true;
            }
    }
    return false;
}

QString TopicView::selectedOrAllText() const
{
    for (const QTextBrowser* b : {Text, Region})
        if (b->textCursor().hasSelection())
            return b->textCursor().selection().toPlainText();
    const QString region = Region->document()->isEmpty() ? QString() : Region->document()->toPlainText() + QLatin1Char('\n');
    return region + Text->document()->toPlainText();
}

QString TopicView::selectedOrAllHtml() const
{
    for (const QTextBrowser* b : {Text, Region})
        if (b->textCursor().hasSelection())
            return b->textCursor().selection().toHtml();
    QTextDocument whole;
    QTextCursor c(&whole);
    if (!Region->document()->isEmpty())
        c.insertFragment(QTextDocumentFragment(Region->document()));
    c.insertFragment(QTextDocumentFragment(Text->document()));
    return whole.toHtml();
}
