#pragma once
// The rows of the text viewer over one string: a row per line, and a line longer than
// `MaxRowLength` continues on further rows, so no row is too long to lay out at once. Only the
// row starts are kept, so a file of millions of lines costs one offset per row.
#include <QString>
#include <vector>

namespace publish {

class TextRows {
public:
    static constexpr qsizetype MaxRowLength = 4096;

    // Any line ends (CR LF, CR, LF) become LF; a final line end leaves an empty last row.
    void setText(QString text);
    const QString& text() const { return text_; }

    qsizetype rowCount() const { return qsizetype(starts_.size()); }
    qsizetype rowStart(qsizetype row) const { return starts_[size_t(row)]; }
    // Without its line end.
    qsizetype rowLength(qsizetype row) const;
    QStringView row(qsizetype row) const { return QStringView(text_).sliced(rowStart(row), rowLength(row)); }
    // The row that holds text offset `offset` (a line end belongs to the row it ends).
    qsizetype rowOf(qsizetype offset) const;
    qsizetype longestRow() const { return longest_; }

private:
    QString text_;
    std::vector<qsizetype> starts_{0};
    qsizetype longest_ = 0;
};

} // namespace publish
