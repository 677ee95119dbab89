#pragma once
// A read-only text view for files of any length: only the rows on screen are laid out, so a 50 MB
// log opens at once. Selection by mouse and keyboard, copy, both scroll bars, no wrapping.
#include "publish/core/TextRows.h"

#include <QAbstractScrollArea>
#include <QHash>

class TextLinesView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TextLinesView(QWidget* parent = nullptr);

    void setText(QString text);
    const QString& text() const { return rows_.text(); }
    qsizetype rowCount() const { return rows_.rowCount(); }

    QString selectedText() const;
    bool hasSelection() const { return anchor_ != caret_; }
    qsizetype caret() const { return caret_; }
    // Moves the caret to `offset`; with `keepAnchor` the selection stretches to it.
    void setCaret(qsizetype offset, bool keepAnchor = false);
    void selectAll();
    void copy() const;
    // Index of the first row shown.
    qsizetype firstVisibleRow() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int rowHeight() const;
    int visibleRows() const;
    int charWidth(QChar c) const;
    // Pixel position of column `col` in `row`'s text (tabs to the next multiple of eight average
    // character widths), and the column nearest to pixel `x`.
    int xOf(QStringView row, qsizetype col) const;
    qsizetype columnAt(QStringView row, int x) const;
    qsizetype offsetAt(const QPoint& viewportPos) const;
    void updateScrollBars();
    void ensureCaretVisible();
    void moveRows(qsizetype delta, bool keepAnchor);

    publish::TextRows rows_;
    qsizetype anchor_ = 0;
    qsizetype caret_ = 0;
    int widest_ = 0; // widest row drawn so far, in pixels
    mutable QHash<char16_t, int> widths_;
};
