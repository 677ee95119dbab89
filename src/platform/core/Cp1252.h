#pragma once
// Code page 1252 at the file boundary. The table is a bijection over all 256 byte values: the five
// bytes the code page leaves undefined map to the matching C1 control characters, so any file
// loads and saves back byte for byte.
#include <QByteArray>
#include <QString>

namespace cp1252 {

QString decode(QByteArrayView bytes);
// Writes bytes.size() characters at `out`.
void decodeInto(QByteArrayView bytes, char16_t* out);

// Characters outside the code page become '?'; `lossy` tells whether that happened.
QByteArray encode(QStringView text, bool* lossy = nullptr);

// Writes text.size() bytes at `out`; true when a character had to become '?'.
bool encodeInto(QStringView text, char* out);

// True when the character has a byte in the code page.
bool representable(QChar c);

// The byte of a representable character (undefined for others).
unsigned char toByte(QChar c);
QChar fromByte(unsigned char b);

// Replaces every character the code page cannot hold by '?'; returns how many were replaced.
int sanitize(QString& text);

// True for a character that a field lets into the document: one of the code page, but not a
// control character (U+0000 to U+001F, U+007F) other than Tab. A 0 byte ends a file when it is
// read, and the others have no place in a line of text.
bool enterable(QChar c);
// Replaces every character that is not enterable by '?'; returns how many were replaced.
int sanitizeEntered(QString& text);

} // namespace cp1252
