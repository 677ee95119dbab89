#pragma once
// The code page of a help project's text. Help text stays bytes from the RTF to the .hlp file;
// the code page only turns those bytes into characters for the author's messages, and RTF \uN
// characters into bytes. Projects say it with CHARSET= or LCID= (or their fonts' \fcharset).
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

namespace hlp {

class CodePage {
public:
    CodePage(); // Western, 1252

    // The code page of a Windows character set (0 ANSI, 204 Russian, 238 Central European ...);
    // 1252 for a set it does not know.
    static CodePage forCharset(int charset);
    // The character set most texts of a language use (LCID 0x0419 Russian: 204); -1 when the
    // language needs no other set than Western.
    static int charsetForLanguage(std::uint16_t lcid);
    // The Windows character set of a code page number (RTF \ansicpgN); -1 when unknown.
    static int charsetForCodePage(int codePage);

    int number() const { return m_number; }
    // The language (LCID) most texts in this code page are written in; 0 for Western text, which
    // may be in any of many.
    std::uint16_t usualLanguage() const;
    QString decode(const QByteArray& bytes) const;
    // The single byte for a character, or -1 when the code page has none (or needs two bytes).
    int byteFor(char32_t c) const;
    // The bytes of a text; a character the code page has no byte for becomes '?'.
    QByteArray encode(const QString& text) const;

private:
    struct Table;
    explicit CodePage(int number);
    int m_number = 1252;
    std::shared_ptr<const Table> m_table; // single-byte code pages other than 1252
};

} // namespace hlp
