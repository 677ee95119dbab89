// The RTF reader's formatting words: the document's code page and default font, character
// formats (\b, \f, \fs, \cf ...) and paragraph formats (\pard, indents, spacing, borders, tabs).
#include "winhelp/project/RtfParser.h"

namespace hlp::rtf {

bool Parser::documentWord(Word w, int param)
{
    if (w == Word::deff) {
        m_defaultFontNumber = param;
    } else if (w == Word::ansicpg) {
        m_documentCodePage = param;
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
    if (w == Word::plain) {
        chr = plainFormat();
        m_st.hidden = false;
    } else if (w == Word::b) {
        setAttr(AttrBold, value != 0);
    } else if (w == Word::i) {
        setAttr(AttrItalic, value != 0);
    } else if (w == Word::ul || w == Word::uld || w == Word::ulw || w == Word::uldash || w == Word::ulth) {
        setAttr(AttrUnderline, value != 0);
        if (value != 0)
            setAttr(AttrDoubleUnderline, false);
    } else if (w == Word::uldb) {
        setAttr(AttrDoubleUnderline, value != 0);
        if (value != 0)
            setAttr(AttrUnderline, false);
    } else if (w == Word::ulnone) {
        setAttr(AttrUnderline | AttrDoubleUnderline, false);
    } else if (w == Word::strike) {
        setAttr(AttrStrike, value != 0);
    } else if (w == Word::scaps) {
        setAttr(AttrSmallCaps, value != 0);
    } else if (w == Word::v) {
        m_st.hidden = value != 0;
    } else if (w == Word::f) {
        chr.face = faceFor(param);
    } else if (w == Word::fs) {
        if (hasParam && param > 0)
            chr.halfPoints = qBound(2, param, 255);
    } else if (w == Word::cf) {
        if (param >= 0 && static_cast<size_t>(param) < m_colours.size()) {
            const Colour& c = m_colours[static_cast<size_t>(param)];
            chr.red = c.r;
            chr.green = c.g;
            chr.blue = c.b;
        } else {
            chr.red = chr.green = chr.blue = 0;
        }
    } else {
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
    if (w == Word::pard) {
        para = ParaFormat{};
        m_st.inTable = false;
        m_borderSide = 0;
    } else if (w == Word::qc) {
        para.align = Align::Centre;
    } else if (w == Word::qr) {
        para.align = Align::Right;
    } else if (w == Word::ql || w == Word::qj) {
        para.align = Align::Left;
    } else if (w == Word::li) {
        para.leftIndent = param;
    } else if (w == Word::ri) {
        para.rightIndent = param;
    } else if (w == Word::fi) {
        para.firstIndent = param;
    } else if (w == Word::sb) {
        para.spaceBefore = param;
    } else if (w == Word::sa) {
        para.spaceAfter = param;
    } else if (w == Word::sl) {
        para.lineSpacing = param;
    } else if (w == Word::keepn) {
        para.keepWithNext = on;
    } else if (w == Word::keep) {
        para.noWrap = on;
    } else if (w == Word::box) {
        border(BorderBox);
    } else if (w == Word::brdrt) {
        border(BorderTop);
    } else if (w == Word::brdrb) {
        border(BorderBottom);
    } else if (w == Word::brdrl) {
        border(BorderLeft);
    } else if (w == Word::brdrr) {
        border(BorderRight);
    } else if (w == Word::brdrth) {
        if (para.border)
            para.border |= BorderThick;
    } else if (w == Word::brdrdb) {
        if (para.border)
            para.border |= BorderDouble;
    } else if (w == Word::brdrnone) {
        para.border &= static_cast<std::uint8_t>(~m_borderSide);
        if (!(para.border & (BorderBox | BorderTop | BorderBottom | BorderLeft | BorderRight)))
            para.border = 0;
        m_borderSide = 0;
    } else if (w == Word::tqr) {
        m_pendingTabKind = 1;
    } else if (w == Word::tqc) {
        m_pendingTabKind = 2;
    } else if (w == Word::tx || w == Word::tb) {
        para.tabs.push_back({param, m_pendingTabKind});
        m_pendingTabKind = 0;
    } else {
        return false;
    }
    return true;
}

} // namespace hlp::rtf
