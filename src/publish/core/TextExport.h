#pragma once
// The side ways out of the document as plain lines: the text export and the two print layouts
// (topics, and the titles list with context numbers). Topics are taken by number, 0 upwards, up to
// the first missing one; titles lose their end mark, body lines are used as stored.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace publish {

// The plain-text export file: every topic below `pageCount`, its title as one line, then its body
// lines, nothing in between; code page 1252 with CR LF after each line, as every file the program
// writes. `lossy` tells whether a character had to become '?'.
QByteArray exportText(const QStringList& lines, int pageCount, bool* lossy = nullptr);

// True when the export goes to the RTF writer: the name's extension is "rtf" in any letter case.
bool isRtfName(const QString& fileName);

// Topics `fromPage` - 1 to `toPage` - 1 (the dialog counts pages as context numbers, the first topic
// being 1): title, body lines, one empty line each; stops at the first missing topic.
QStringList topicPrintLines(const QStringList& lines, int fromPage, int toPage);

// One line per topic below `pageCount`: the title followed by 45 full stops, cut to 52 characters,
// then the context number with no space between.
QStringList titleListLines(const QStringList& lines, int pageCount);
// The same topics as (title, context number) for the printed list, which lines the numbers up.
QList<std::pair<QString, QString>> titleListEntries(const QStringList& lines, int pageCount);

} // namespace publish
