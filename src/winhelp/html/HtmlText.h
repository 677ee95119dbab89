#pragma once
// Topic text (bytes in the project's code page) written as UTF-8 HTML and JSON, and the folded
// words the search and the keyword index compare. The script folds a query the same way: lower
// case, then canonical decomposition with the accents dropped.
#include "winhelp/format/CodePage.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace hlp::html {

class TextCodec {
public:
    explicit TextCodec(const CodePage& codePage = CodePage());

    // Appends the bytes as HTML text: & < > " escaped, control characters left out.
    void appendHtml(QByteArray& out, QByteArrayView bytes) const;
    QString decode(QByteArrayView bytes) const;
    // True for the code pages of one byte per character, whose bytes the tables below describe;
    // the others (Chinese, Japanese, Korean) go through decode().
    bool singleByte() const { return m_singleByte; }
    // The folded form of a byte when it belongs to a word (letter or digit), else empty.
    const QByteArray& foldedByte(unsigned char byte) const { return m_folded[byte]; }

    // The byte itself when its folded form is that one ASCII character, else 0.
    char foldedAscii(unsigned char byte) const { return m_foldedAscii[byte]; }
    // Lower case, in the code page (keywords that differ only by case are one keyword).
    QByteArray lower(QByteArrayView bytes) const;
    // The folded form of a whole text in UTF-8 (lower case, accents dropped: "Été" gives "ete"):
    // what keywords are sorted and filtered by.
    QByteArray foldedText(QByteArrayView bytes) const;

private:
    CodePage m_codePage;
    bool m_singleByte = true;
    struct Piece {
        char bytes[7];
        std::uint8_t size;
    };
    std::array<Piece, 256> m_html;
    std::array<QByteArray, 256> m_folded;
    std::array<char, 256> m_foldedAscii;
    std::array<char, 256> m_lower;
    std::array<QByteArray, 256> m_foldedAny; // folded letters, other characters in UTF-8
};

// Appends text as HTML (escaping & < > ").
void appendHtml(QByteArray& out, const QString& text);
// Text in a font of symbols (Symbol, Wingdings) is no text of any code page: its bytes are
// pictures of the font. Appends them as the Unicode characters they show and returns true when
// `face` is such a font; a character Unicode lacks goes to U+F0xx, where the font itself has it
// (a browser with the font shows it).
bool appendSymbolFontHtml(QByteArray& out, const QByteArray& face, QByteArrayView bytes);
// Lower case, accents dropped: the search's folding of one word.
QString foldedWord(const QString& text);
// The same for text already in UTF-8.
void appendHtmlUtf8(QByteArray& out, QByteArrayView utf8);
// Appends text as a JSON string, quotes included. Safe inside a <script> file: no "</".
void appendJson(QByteArray& out, const QString& text);
void appendJson(QByteArray& out, QByteArrayView utf8);

} // namespace hlp::html
