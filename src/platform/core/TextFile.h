#pragma once
// Reading and writing the program's text files: code page 1252, CR LF line ends.
#include <QString>
#include <QStringList>

namespace textfile {

// Splits raw bytes into lines: CR LF, a lone CR and a lone LF each end a line; a NUL byte ends the
// text. A final line end does not start an empty line.
QStringList splitLines(QByteArrayView bytes);

// Reads a whole regular file; false with the reason (French) in `error` when it cannot be read.
bool readLines(const QString& path, QStringList& lines, QString* error = nullptr);

// Joins lines with CR LF after each, code page 1252; `lossy` tells whether a character had to
// become '?'. A 0 byte, which would end the text when it is read, is never written: it becomes '?'.
QByteArray joinLines(const QStringList& lines, bool* lossy = nullptr);

// Writes through safefile::write: a failure leaves the old file as it was. False with the reason
// (French) in `error`.
bool writeLines(const QString& path, const QStringList& lines, QString* error = nullptr, bool* lossy = nullptr);
bool writeBytes(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace textfile
