// The RTF reader's formatting words: the document's code page and default font, character
// formats (\b, \f, \fs, \cf ...) and paragraph formats (\pard, indents, spacing, borders, tabs).
#include "winhelp/project/RtfParser.h"

namespace hlp::rtf {

bool Parser::documentWord(Word w, int param)
{
    if (w == Word::deff) {
        m_defaultFontNumber = param;
    } else if (w == Word::ansicpg) {
        const int charset = CodePage::charsetForCodePage(param);
        if (!m_codePageFixed && charset > 0) {
            m_codePage = CodePage::forCharset(charset);
            if (m_doc.fontCharset < 0)
                m_doc.fontCharset = charset;
        }
    } else {
        return false;
    }
    return true;
}

bool Parser::characterWord(Word w, bool hasParam, int param)
{
    CharFormat& chr = m_st.chr;
    const int value = hasParam ? param : 1;
    auto setAttr = [&](std::uint8_t bit, bool on) {
        if (on)
            chr.attrs |= bit;
        else
            chr.attrs &= static_cast<std::uint8_t>(~bit);
    };
    switch (w) {
    case Word::plain:
        chr = plainFormat();
        m_st.hidden = false;
        break;
    case Word::b:
        setAttr(AttrBold, value != 0);
        break;
    case Word::i:
        setAttr(AttrItalic, value != 0);
        break;
    case Word::ul:
    case Word::uld:
    case Word::ulw:
    case Word::uldash:
    case Word::ulth:
        setAttr(AttrUnderline, value != 0);
        if (value != 0)
            setAttr(AttrDoubleUnderline, false);
        break;
    case Word::uldb:
        setAttr(AttrDoubleUnderline, value != 0);
        if (value != 0)
            setAttr(AttrUnderline, false);
        break;
    case Word::ulnone:
        setAttr(AttrUnderline | AttrDoubleUnderline, false);
        break;
    case Word::strike:
        setAttr(AttrStrike, value != 0);
        break;
    case Word::scaps:
        setAttr(AttrSmallCaps, value != 0);
        break;
    case Word::v:
        m_st.hidden = value != 0;
        break;
    case Word::f:
        chr.face = faceFor(param);
        break;
    case Word::fs:
        if (hasParam && param > 0)
            chr.halfPoints = qBound(2, param, 255);
        break;
    case Word::cf:
        if (param >= 0 && static_cast<size_t>(param) < m_colours.size()) {
            const Colour& c = m_colours[static_cast<size_t>(param)];
            chr.red = c.r;
            chr.green = c.g;
            chr.blue = c.b;
        } else {
            chr.red = chr.green = chr.blue = 0;
        }
        break;
    default:
        return false;
    }
    return true;
}

bool Parser::paragraphWord(Word w, bool hasParam, int param)
{
    ParaFormat& para = m_st.para;
    const bool on = !hasParam || param != 0;
    auto border = [&](std::uint8_t side) {
        para.border |= side;
        m_borderSide = side;
    };
    switch (w) {
    case Word::pard:
        para = ParaFormat{};
        m_st.inTable = false;
        m_borderSide = 0;
        break;
    case Word::qc:
        para.align = Align::Centre;
        break;
    case Word::qr:
        para.align = Align::Right;
        break;
    case Word::ql:
    case Word::qj:
        para.align = Align::Left;
        break;
    case Word::li:
        para.leftIndent = param;
        break;
    case Word::ri:
        para.rightIndent = param;
        break;
    case Word::fi:
        para.firstIndent = param;
        break;
    case Word::sb:
        para.spaceBefore = param;
        break;
    case Word::sa:
        para.spaceAfter = param;
        break;
    case Word::sl:
        para.lineSpacing = param;
        break;
    case Word::keepn:
        para.keepWithNext = on;
        break;
    case Word::keep:
        para.noWrap = on;
        break;
    case Word::box:
        border(BorderBox);
        break;
    case Word::brdrt:
        border(BorderTop);
        break;
    case Word::brdrb:
        border(BorderBottom);
        break;
    case Word::brdrl:
        border(BorderLeft);
        break;
    case Word::brdrr:
        border(BorderRight);
        break;
    case Word::brdrth:
        if (para.border)
            para.border |= BorderThick;
        break;
    case Word::brdrdb:
        if (para.border)
            para.border |= BorderDouble;
        break;
    case Word::brdrnone:
        para.border &= static_cast<std::uint8_t>(~m_borderSide);
        if (!(para.border & (BorderBox | BorderTop | BorderBottom | BorderLeft | BorderRight)))
            para.border = 0;
        m_borderSide = 0;
        break;
    case Word::tqr:
        m_pendingTabKind = 1;
        break;
    case Word::tqc:
        m_pendingTabKind = 2;
        break;
    case Word::tx:
    case Word::tb:
        para.tabs.push_back({param, m_pendingTabKind});
        m_pendingTabKind = 0;
        break;
    default:
        return false;
    }
    return true;
}

} // namespace hlp::rtf
