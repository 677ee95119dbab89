#pragma once
// A text file inserted into the body: its lines as the body receives them.
#include <QString>
#include <atomic>

namespace editor {

struct ImportedText {
    QString text;     // every line followed by a line end; empty for an empty file
    int replaced = 0; // characters that became '?'
};

// `decoded` is the whole file already decoded. Characters the document cannot hold become a visible
// '?': those outside code page 1252, and NUL, which would end the project file when it is read back.
ImportedText importedText(QStringView decoded);

// The one message that tells how many characters an import had to replace (empty for none).
QString replacedMessage(int replaced);

// The status line after typing or pasting: how many characters became "?", and which (`replaced`
// holds them in order, repeats included). Empty when none.
QString replacedStatus(QStringView replaced);

// Most text a page's body holds, in characters. The editor keeps about eight bytes of memory per
// character of its field (the text, its blocks, the copies a save makes): past this, the program
// would run out of memory on a common machine and take the author's work with it.
inline constexpr qint64 MaxBodyCharacters = qint64(256) * 1024 * 1024;

// Empty when a file of `fileBytes` fits into a body that already holds `bodyCharacters`, else why
// not, in French. A file has at least as many bytes as it gives characters.
QString importRefusal(const QString& fileName, qint64 fileBytes, qint64 bodyCharacters);

// Reads and decodes the file at `path` as an import takes it. False with the system's reason in
// `error`, or when `cancelled` became true on the way (the text is then empty).
bool readImport(const QString& path, ImportedText& out, QString* error, const std::atomic<bool>* cancelled = nullptr);

} // namespace editor
