#include "publish/windows/TextLinesView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

namespace {
constexpr int Inset = 3; // room between the frame and the text
} // namespace

TextLinesView::TextLinesView(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::IBeamCursor);
    setText(QString());
}

void TextLinesView::setText(QString text)
{
    rows_.setText(std::move(text));
    anchor_ = caret_ = 0;
    widths_.clear();
    // A first guess of the widest row; rows drawn later widen it when they are wider.
    widest_ = int(qMin<qsizetype>(rows_.longestRow() * fontMetrics().averageCharWidth(), 1 << 24));
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

QString TextLinesView::selectedText() const
{
    const qsizetype from = qMin(anchor_, caret_);
    return rows_.text().mid(from, qMax(anchor_, caret_) - from);
}

void TextLinesView::setCaret(qsizetype offset, bool keepAnchor)
{
    caret_ = qBound<qsizetype>(0, offset, rows_.text().size());
    if (!keepAnchor)
        anchor_ = caret_;
    ensureCaretVisible();
    viewport()->update();
}

void TextLinesView::selectAll()
{
    anchor_ = 0;
    caret_ = rows_.text().size();
    viewport()->update();
}

void TextLinesView::copy() const
{
    if (hasSelection())
        QApplication::clipboard()->setText(selectedText());
}

qsizetype TextLinesView::firstVisibleRow() const
{
    return verticalScrollBar()->value();
}

int TextLinesView::rowHeight() const
{
    return qMax(1, fontMetrics().lineSpacing());
}

int TextLinesView::visibleRows() const
{
    return qMax(1, viewport()->height() / rowHeight());
}

int TextLinesView::charWidth(QChar c) const
{
    auto it = widths_.constFind(c.unicode());
    if (it != widths_.cend())
        return *it;
    const int w = fontMetrics().horizontalAdvance(c);
    widths_.insert(c.unicode(), w);
    return w;
}

int TextLinesView::xOf(QStringView row, qsizetype col) const
{
    const int tab = qMax(1, 8 * fontMetrics().averageCharWidth());
    int x = 0;
    for (qsizetype i = 0; i < col && i < row.size(); ++i)
        x = row[i] == u'\t' ? (x / tab + 1) * tab : x + charWidth(row[i]);
    return x;
}

qsizetype TextLinesView::columnAt(QStringView row, int x) const
{
    const int tab = qMax(1, 8 * fontMetrics().averageCharWidth());
    int left = 0;
    for (qsizetype i = 0; i < row.size(); ++i) {
        const int right = row[i] == u'\t' ? (left / tab + 1) * tab : left + charWidth(row[i]);
        if (x < (left + right) / 2)
            return i;
        left = right;
    }
    return row.size();
}

qsizetype TextLinesView::offsetAt(const QPoint& pos) const
{
    const int h = rowHeight();
    const qsizetype below = pos.y() >= 0 ? pos.y() / h : -((h - 1 - pos.y()) / h); // rows above count too
    const qsizetype r = qBound<qsizetype>(0, firstVisibleRow() + below, rows_.rowCount() - 1);
    const QStringView row = rows_.row(r);
    return rows_.rowStart(r) + columnAt(row, pos.x() + horizontalScrollBar()->value() - Inset);
}

void TextLinesView::updateScrollBars()
{
    const int rows = int(qMin<qsizetype>(rows_.rowCount(), INT_MAX));
    verticalScrollBar()->setRange(0, qMax(0, rows - visibleRows()));
    verticalScrollBar()->setPageStep(visibleRows());
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setRange(0, qMax(0, widest_ + 2 * Inset - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(qMax(1, fontMetrics().averageCharWidth() * 2));
}

void TextLinesView::ensureCaretVisible()
{
    const qsizetype r = rows_.rowOf(caret_);
    const qsizetype first = firstVisibleRow();
    if (r < first)
        verticalScrollBar()->setValue(int(r));
    else if (r >= first + visibleRows())
        verticalScrollBar()->setValue(int(r - visibleRows() + 1));
    const int x = xOf(rows_.row(r), caret_ - rows_.rowStart(r));
    if (x > widest_) {
        widest_ = x;
        updateScrollBars();
    }
    QScrollBar* h = horizontalScrollBar();
    const int w = viewport()->width();
    if (x < h->value())
        h->setValue(qMax(0, x - w / 4));
    else if (x > h->value() + w - 4)
        h->setValue(x - w + w / 4);
}

void TextLinesView::moveRows(qsizetype delta, bool keepAnchor)
{
    const qsizetype r = rows_.rowOf(caret_);
    const int x = xOf(rows_.row(r), caret_ - rows_.rowStart(r));
    const qsizetype to = qBound<qsizetype>(0, r + delta, rows_.rowCount() - 1);
    setCaret(rows_.rowStart(to) + columnAt(rows_.row(to), x), keepAnchor);
}

void TextLinesView::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    const QPalette& pal = palette();
    p.fillRect(viewport()->rect(), pal.color(QPalette::Base));
    const QFontMetrics fm = fontMetrics();
    const int h = rowHeight();
    const int dx = horizontalScrollBar()->value() - Inset;
    const int tab = qMax(1, 8 * fm.averageCharWidth());
    const qsizetype selFrom = qMin(anchor_, caret_);
    const qsizetype selTo = qMax(anchor_, caret_);
    const qsizetype first = firstVisibleRow();
    const qsizetype last = qMin(rows_.rowCount() - 1, first + visibleRows());
    int widest = widest_;
    for (qsizetype r = first; r <= last; ++r) {
        const int top = int(r - first) * h;
        const QStringView row = rows_.row(r);
        const qsizetype start = rows_.rowStart(r);
        // The selection on this row; a selected line end shows as a little space after the text.
        const qsizetype a = qBound<qsizetype>(0, selFrom - start, row.size() + 1);
        const qsizetype b = qBound<qsizetype>(0, selTo - start, row.size() + 1);
        if (a < b) {
            const int xa = xOf(row, a);
            const int xb = b > row.size() ? xOf(row, row.size()) + fm.averageCharWidth() : xOf(row, b);
            p.fillRect(QRect(xa - dx, top, xb - xa, h), pal.color(QPalette::Highlight));
        }
        int x = 0;
        int segmentX = 0;
        qsizetype segment = 0;
        for (qsizetype i = 0; i <= row.size(); ++i) {
            if (i < row.size() && row[i] != u'\t') {
                x += charWidth(row[i]);
                continue;
            }
            if (i > segment) {
                p.setPen(pal.color(QPalette::Text));
                p.drawText(segmentX - dx, top + fm.ascent(), row.sliced(segment, i - segment).toString());
                // Selected characters again in the highlight's text colour.
                const qsizetype sa = qMax(a, segment), sb = qMin(b, i);
                if (sa < sb) {
                    p.setPen(pal.color(QPalette::HighlightedText));
                    p.drawText(xOf(row, sa) - dx, top + fm.ascent(), row.sliced(sa, sb - sa).toString());
                }
            }
            if (i < row.size())
                x = (x / tab + 1) * tab;
            segment = i + 1;
            segmentX = x;
        }
        widest = qMax(widest, x);
        if (hasFocus() && rows_.rowOf(caret_) == r) {
            const int cx = xOf(row, caret_ - start) - dx;
            p.fillRect(QRect(cx, top, 1, h), pal.color(QPalette::Text));
        }
    }
    if (widest > widest_) {
        widest_ = widest;
        updateScrollBars();
    }
}

void TextLinesView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void TextLinesView::keyPressEvent(QKeyEvent* e)
{
    if (e->matches(QKeySequence::Copy) || (e->key() == Qt::Key_Insert && e->modifiers() == Qt::ControlModifier)) {
        copy();
        return;
    }
    if (e->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const qsizetype r = rows_.rowOf(caret_);
    switch (e->key()) {
    case Qt::Key_Left: setCaret(caret_ - 1, shift); return;
    case Qt::Key_Right: setCaret(caret_ + 1, shift); return;
    case Qt::Key_Up: moveRows(-1, shift); return;
    case Qt::Key_Down: moveRows(1, shift); return;
    case Qt::Key_PageUp: moveRows(-visibleRows(), shift); return;
    case Qt::Key_PageDown: moveRows(visibleRows(), shift); return;
    case Qt::Key_Home: setCaret(ctrl ? 0 : rows_.rowStart(r), shift); return;
    case Qt::Key_End: setCaret(ctrl ? rows_.text().size() : rows_.rowStart(r) + rows_.rowLength(r), shift); return;
    default: break;
    }
    // Read-only: typing changes nothing.
    QAbstractScrollArea::keyPressEvent(e);
}

void TextLinesView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    setCaret(offsetAt(e->position().toPoint()), e->modifiers() & Qt::ShiftModifier);
}

void TextLinesView::mouseMoveEvent(QMouseEvent* e)
{
    if (e->buttons() & Qt::LeftButton)
        setCaret(offsetAt(e->position().toPoint()), true);
}

void TextLinesView::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    // A word: the letters and digits around the click.
    const QString& t = rows_.text();
    qsizetype from = offsetAt(e->position().toPoint());
    qsizetype to = from;
    while (from > 0 && t[from - 1].isLetterOrNumber())
        --from;
    while (to < t.size() && t[to].isLetterOrNumber())
        ++to;
    anchor_ = from;
    setCaret(to, true);
}

void TextLinesView::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu menu(this);
    QAction* copyAction = menu.addAction(QStringLiteral("&Copier"), this, &TextLinesView::copy);
    copyAction->setEnabled(hasSelection());
    menu.addAction(QString::fromUtf8("&Tout sélectionner"), this, &TextLinesView::selectAll);
    menu.exec(e->globalPos());
}

void TextLinesView::changeEvent(QEvent* e)
{
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        widths_.clear();
        updateScrollBars();
    }
}

void TextLinesView::focusInEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusInEvent(e);
    viewport()->update();
}

void TextLinesView::focusOutEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusOutEvent(e);
    viewport()->update();
}
