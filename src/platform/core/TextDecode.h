#pragma once
// Text files from elsewhere (import, the text viewer): the encoding is guessed from the bytes, so a
// UTF-8 file is not shown as mojibake and an old Windows file still reads as code page 1252.
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace textdecode {

enum class Encoding { Cp1252, Utf8, Utf16LE, Utf16BE };

struct Decoded {
    QString text;
    Encoding encoding = Encoding::Cp1252;
};

// A byte order mark decides (UTF-8, UTF-16 either way); without one, bytes that are valid UTF-8
// and hold at least one multi-byte sequence are UTF-8; anything else is code page 1252, which
// takes every byte.
Decoded decode(QByteArrayView bytes);

// Reads and decodes a whole file; false with the system's reason in `error`.
bool readFile(const QString& path, Decoded& out, QString* error = nullptr);

// CR LF, a lone CR and a lone LF each end a line; a final line end does not start an empty line.
QStringList splitLines(QStringView text);

} // namespace textdecode

namespace textdecode {

// The open dialog's filter for text files (import and the text viewer).
inline QString textFileFilter()
{
    return QStringLiteral("Fichiers texte (*.txt)|*.txt|Tous les fichirs (*.*)|*.*");
}

} // namespace textdecode
