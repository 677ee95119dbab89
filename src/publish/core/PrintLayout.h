#pragma once
// The printer's text stream as a layout: lines placed top-down from the top-left corner of the
// printable area, no margin, header or page number; a line wider than the page goes on on the next
// row, broken after the last character that fits; a tab goes to the next multiple of the tab width;
// a new page starts when the next row does not fit. Widths come from the caller (the printer's font).
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace publish {

struct PrintRun {
    int x = 0; // from the left edge of the printable area, in the measure's units
    QString text;
    bool operator==(const PrintRun&) const = default;
};
using PrintRow = QList<PrintRun>; // an empty row prints nothing
using PrintPage = QList<PrintRow>;

struct PrintMeasure {
    int pageWidth = 0;
    int rowsPerPage = 1;
    int tabWidth = 8;                      // eight average character widths
    std::function<int(QChar)> charWidth;   // advance of one character
};

QList<PrintPage> layoutPages(const QStringList& lines, const PrintMeasure& measure);

// The titles list: a row per (title, number), the title at the left, the number ending at the
// right edge of the page, and full stops between them at places every row shares, so that the
// numbers line up whatever the font. A title too long for its row is cut.
QList<PrintPage> layoutTitleList(const QList<std::pair<QString, QString>>& entries, const PrintMeasure& measure);

} // namespace publish
