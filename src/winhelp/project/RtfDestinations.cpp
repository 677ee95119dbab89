// The RTF reader's tables and footnotes: \fonttbl, \colortbl and the footnotes # $ K + ! that
// give a topic its context strings, title, keywords, browse sequence and macros.
#include "winhelp/project/RtfParser.h"

namespace hlp::rtf {

CharFormat Parser::plainFormat()
{
    CharFormat f;
    f.face = faceFor(m_defaultFontNumber);
    f.halfPoints = 24;
    return f;
}

int Parser::defaultFace()
{
    if (m_defaultFace < 0)
        m_defaultFace = m_doc.faceIndex("MS Sans Serif", 3);
    return m_defaultFace;
}

int Parser::faceFor(int fontNumber)
{
    const auto it = m_fonts.find(fontNumber);
    if (it != m_fonts.end())
        return it->second;
    // Fonts used but never declared (our build writes \f11 and \f16) take the default font.
    const auto def = m_fonts.find(m_defaultFontNumber);
    return def != m_fonts.end() ? def->second : defaultFace();
}

bool Parser::tableWord(Word w, int param)
{
    if (m_st.dest == Dest::FontTable) {
        if (w == Word::f) {
            m_tableFont = param;
            m_tableName.clear();
            m_tableFamily = 0;
            m_tableCharset = -1;
        } else if (w == Word::fnil) {
            m_tableFamily = 0;
        } else if (w == Word::froman) {
            m_tableFamily = 2;
        } else if (w == Word::fswiss) {
            m_tableFamily = 3;
        } else if (w == Word::fmodern) {
            m_tableFamily = 1;
        } else if (w == Word::fscript) {
            m_tableFamily = 4;
        } else if (w == Word::fdecor || w == Word::ftech) {
            m_tableFamily = 5;
        } else if (w == Word::fcharset) {
            m_tableCharset = param;
        } else {
            return false;
        }
        return true;
    }
    const auto v = static_cast<std::uint8_t>(qBound(0, param, 255));
    if (w == Word::red) {
        m_colour.r = v;
    } else if (w == Word::green) {
        m_colour.g = v;
    } else if (w == Word::blue) {
        m_colour.b = v;
    } else {
        return false;
    }
    m_colourSet = true;
    return true;
}

void Parser::commitFont()
{
    QByteArray name = m_tableName.trimmed();
    if (name.endsWith(';'))
        name.chop(1);
    if (!name.isEmpty())
        m_fonts[m_tableFont] = m_doc.faceIndex(name, m_tableFamily ? m_tableFamily : 3);
    // The default font's character set tells the text's code page when the project does not.
    if (m_tableFont == m_defaultFontNumber && m_tableCharset > 2 && m_tableCharset != 77 && m_doc.fontCharset < 0) {
        m_doc.fontCharset = m_tableCharset;
        if (!m_codePageFixed)
            m_codePage = CodePage::forCharset(m_tableCharset);
    }
    m_tableFont = -1;
    m_tableName.clear();
    m_tableFamily = 0;
    m_tableCharset = -1;
}

void Parser::startFootnote()
{
    flushCapture();
    resolveHidden();
    flushText();
    // The footnote's mark is the character just before it.
    char mark = 0;
    if (!m_items.empty() && m_items.back().kind == ItemKind::Text && !m_items.back().text.isEmpty()) {
        mark = m_items.back().text.back();
        m_items.back().text.chop(1);
        if (m_items.back().text.isEmpty())
            m_items.pop_back();
    }
    m_st.dest = Dest::Footnote;
    m_footnoteDepth = m_stack.size();
    m_footnoteMark = mark;
    m_footnoteText.clear();
}

void Parser::finishFootnote()
{
    QByteArray text = m_footnoteText.trimmed();
    char mark = m_footnoteMark;
    if (mark == 0 || mark == ' ') {
        mark = text.isEmpty() ? 0 : text[0];
    }
    if (!text.isEmpty() && text[0] == mark)
        text = text.mid(1).trimmed();
    m_footnoteText.clear();
    m_footnoteSeen = true;
    const auto where = [this] {
        return m_topic.title.isEmpty() ? QString() : QStringLiteral(" (rubrique %1)").arg(quoted(this->text(m_topic.title)));
    };

    switch (mark) {
    case '#':
        if (text.isEmpty()) {
            m_diag.warning(QStringLiteral("note # vide dans %1%2.").arg(quoted(m_source), where()));
            break;
        }
        m_topic.contexts << text;
        break;
    case '$':
        if (!m_topic.title.isEmpty() && m_topic.title != text)
            m_diag.warning(QStringLiteral("deux titres pour une même rubrique : %1 et %2 ; le premier est gardé.")
                               .arg(quoted(this->text(m_topic.title)), quoted(this->text(text))));
        else
            m_topic.title = text;
        break;
    case 'K':
        for (const QByteArray& k : text.split(';')) {
            const QByteArray keyword = k.trimmed().left(255);
            if (!keyword.isEmpty() && !m_topic.keywords.contains(keyword))
                m_topic.keywords << keyword;
        }
        break;
    case '+':
        m_topic.browse = text;
        m_topic.hasBrowse = true;
        break;
    case '!': {
        // Macros separated by ';' outside quotes and parentheses.
        QByteArray cur;
        int depth = 0;
        bool inQuote = false;
        for (const char c : text) {
            if (c == '"' || c == '`' || c == '\'')
                inQuote = !inQuote;
            else if (!inQuote && c == '(')
                ++depth;
            else if (!inQuote && c == ')')
                --depth;
            if (c == ';' && depth <= 0 && !inQuote) {
                if (!cur.trimmed().isEmpty())
                    m_topic.macros << cur.trimmed();
                cur.clear();
            } else {
                cur.append(c);
            }
        }
        if (!cur.trimmed().isEmpty())
            m_topic.macros << cur.trimmed();
        break;
    }
    default:
        break; // comments (@), build tags (*), windows (>), A-keywords: nothing to store
    }
}

} // namespace hlp::rtf
