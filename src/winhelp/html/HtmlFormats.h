#pragma once
// The formats of the help text as CSS: character formats as classes of the style sheet,
// paragraph and cell formats as the style of their element. Lengths: the text's 10 points are
// 1rem, so a twip is 1/200 rem.
#include "winhelp/model/HelpModel.h"

#include <QByteArray>
#include <QHash>
#include <vector>

namespace hlp::html {

// The character formats of the text as CSS classes: the most common format is the text's own
// (no class), every other one is a class holding only what differs from it.
class FormatClasses {
public:
    explicit FormatClasses(const HelpDocument& document);

    const CharFormat& base() const { return m_base; }
    // 0 for the base format, else the number of the class "cN".
    int classOf(const CharFormat& format);
    // The CSS of the base format (for the text) and of every class handed out so far.
    QByteArray css(const std::vector<FontFace>& faces) const;

private:
    CharFormat m_base;
    CharFormat m_last;
    int m_lastClass = 0;
    QHash<quint64, int> m_classes;
    std::vector<CharFormat> m_formats; // class N is m_formats[N - 1]
};

// The style of a paragraph (spacing, indents, alignment, borders); empty for the default one.
QByteArray paragraphStyle(const ParaFormat& format);
// Borders of a paragraph or a cell (BorderBits).
QByteArray borderStyle(std::uint8_t border);
// A length in twips as CSS.
QByteArray lengthRem(int twips);

} // namespace hlp::html
