#include "publish/core/PrintLayout.h"

namespace publish {

namespace {

class Pager {
public:
    explicit Pager(const PrintMeasure& m)
        : m_(m)
        , rowsPerPage_(qMax(1, m.rowsPerPage))
    {
    }

    void line(const QString& text)
    {
        int x = 0;
        qsizetype runStart = 0;
        int runX = 0;
        auto closeRun = [&](qsizetype end) {
            if (end > runStart)
                row_.append({runX, text.mid(runStart, end - runStart)});
        };
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c == u'\t') {
                closeRun(i);
                const int tab = qMax(1, m_.tabWidth);
                x = (x / tab + 1) * tab;
                if (x > m_.pageWidth) { // the tab leaves the page: the rest starts the next row
                    endRow();
                    x = 0;
                }
                runStart = i + 1;
                runX = x;
                continue;
            }
            const int w = m_.charWidth ? m_.charWidth(c) : 1;
            // A character that does not fit goes to the next row, unless the row is still empty.
            if (x + w > m_.pageWidth && (x > 0 || !row_.isEmpty())) {
                closeRun(i);
                endRow();
                x = 0;
                runStart = i;
                runX = 0;
            }
            x += w;
        }
        closeRun(text.size());
        endRow();
    }

    void row(const PrintRow& r)
    {
        row_ = r;
        endRow();
    }

    QList<PrintPage> take()
    {
        if (!page_.isEmpty())
            pages_.append(page_);
        return std::move(pages_);
    }

private:
    void endRow()
    {
        page_.append(row_);
        row_.clear();
        if (page_.size() == rowsPerPage_) {
            pages_.append(page_);
            page_.clear();
        }
    }

    const PrintMeasure& m_;
    const int rowsPerPage_;
    PrintRow row_;
    PrintPage page_;
    QList<PrintPage> pages_;
};

} // namespace

QList<PrintPage> layoutPages(const QStringList& lines, const PrintMeasure& measure)
{
    Pager pager(measure);
    for (const QString& l : lines)
        pager.line(l);
    return pager.take();
}

QList<PrintPage> layoutTitleList(const QList<std::pair<QString, QString>>& entries, const PrintMeasure& m)
{
    const auto width = [&m](QChar c) { return m.charWidth ? m.charWidth(c) : 1; };
    const int dot = qMax(1, width(u'.'));
    Pager pager(m);
    for (const auto& [title, number] : entries) {
        int numberWidth = 0;
        for (const QChar c : number)
            numberWidth += width(c);
        const int numberX = qMax(0, m.pageWidth - numberWidth);
        // The title keeps room for a space and one full stop before the number.
        const int room = numberX - 2 * dot;
        int x = 0;
        qsizetype kept = 0;
        while (kept < title.size() && x + width(title[kept]) <= room)
            x += width(title[kept++]);
        PrintRow r;
        if (kept > 0)
            r.append({0, title.left(kept)});
        const int first = (x + dot + dot - 1) / dot * dot; // after a space's worth, on the shared grid
        const int dots = (numberX - first) / dot;
        if (dots > 0)
            r.append({first, QString(dots, u'.')});
        r.append({numberX, number});
        pager.row(r);
    }
    return pager.take();
}

} // namespace publish
