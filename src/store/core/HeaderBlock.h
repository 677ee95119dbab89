#pragma once
// The header block: fonts and colours of the title field and the body, ten lines.
#include <QString>
#include <QStringList>
#include <optional>

namespace store {

// A colour word of the platform: 0x00BBGGRR, or a system colour with the top bit set.
using ColourWord = quint32;
inline constexpr ColourWord SystemWindowColour = 0x80000005u;

struct FieldLook {
    QString fontName = QStringLiteral("MS Sans Serif");
    int fontSize = 10;             // points
    ColourWord fontColour = 0;     // written as a signed decimal
    ColourWord background = SystemWindowColour; // written as 8 hex digits

    bool operator==(const FieldLook&) const = default;
};

// Reads a decimal integer as the file's old readers did: leading blanks, a sign, digits, or a
// "$" followed by hexadecimal digits. Anything else is not a number.
std::optional<qint64> parseInteger(QStringView text);

// Applies the header's values to `title` and `body` in file order, stopping silently at the first
// missing or unreadable line. Returns the number of values applied (0..8); -1 when no header.
int litHeader(const QStringList& lines, FieldLook& title, FieldLook& body);

QStringList headerBlock(const FieldLook& title, const FieldLook& body);
// Replaces the header block in place, or inserts it at the top.
void EcritHeader(QStringList& lines, const FieldLook& title, const FieldLook& body);

} // namespace store
