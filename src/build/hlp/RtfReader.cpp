#include "build/hlp/RtfReader.h"

#include "platform/core/Cp1252.h"

#include <QHash>
#include <QSet>
#include <unordered_map>

namespace hlp {

namespace {

enum class Dest : std::uint8_t { Text, Skip, FontTable, ColourTable, Footnote };

struct GroupState {
    Dest dest = Dest::Text;
    CharFormat chr;
    ParaFormat para;
    bool hidden = false;
    int ucSkip = 1;
    bool starred = false;     // \* seen: an unknown destination word skips the group
    bool firstWord = true;    // no control word yet in this group
};

struct Colour {
    std::uint8_t r = 0, g = 0, b = 0;
};

const QSet<QByteArray>& skippedDestinations()
{
    static const QSet<QByteArray> set = {
        "info", "stylesheet", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr", "footerf",
        "pict", "object", "fldinst", "listtable", "listoverridetable", "revtbl", "rsidtbl", "xmlnstbl", "generator",
        "themedata", "colorschememapping", "datastore", "latentstyles", "pgdsctbl", "filetbl", "template", "comment",
        "docvar", "annotation", "atnid", "atnauthor", "atndate", "atnref", "background", "ftnsep", "ftnsepc", "ftncn",
        "aftnsep", "aftnsepc", "aftncn", "nonshppict", "shp", "shpinst", "bkmkstart", "bkmkend", "xe", "tc", "txe",
        "private", "userprops", "mmathPr", "wgrffmtfilter", "pnseclvl", "listtext", "fonttbl_", "blipuid", "panose",
        "falt", "fontemb", "fontfile", "objdata", "result", "passwordhash", "protusertbl", "upr", "ud"};
    return set;
}

class Parser {
public:
    Parser(HelpDocument& doc, Diagnostics& diag, const QString& source) : m_doc(doc), m_diag(diag), m_source(source)
    {
        m_defaultFace = -1;
    }

    void run(const QByteArray& rtf);

private:
    // tokens
    void controlWord(const QByteArray& word, bool hasParam, int param);
    void controlSymbol(char c);
    void character(unsigned char c);
    void openGroup();
    void closeGroup();

    // text
    void emitChar(unsigned char c);
    void emitItem(ItemKind kind);
    void literalOpen();
    void literalClose();
    void flushCapture();
    void appendText(const QByteArray& text, const CharFormat& format);
    void resolveHidden();
    void endParagraph(bool explicitBreak);
    void endTopic();

    // tables and footnotes
    void commitFont();
    void startFootnote();
    void finishFootnote();

    int faceFor(int fontNumber);
    int defaultFace();
    CharFormat plainFormat();

    HelpDocument& m_doc;
    Diagnostics& m_diag;
    QString m_source;

    std::vector<GroupState> m_stack;
    GroupState m_st;

    // font table
    std::unordered_map<int, int> m_fonts; // RTF font number -> face
    int m_defaultFontNumber = 0;
    int m_defaultFace;
    int m_tableFont = -1;
    std::uint8_t m_tableFamily = 0;
    QByteArray m_tableName;

    // colour table
    std::vector<Colour> m_colours;
    Colour m_colour;
    bool m_colourSet = false;

    // footnote
    size_t m_footnoteDepth = 0;
    char m_footnoteMark = 0;
    QByteArray m_footnoteText;

    // the topic being read
    Topic m_topic;
    bool m_footnoteSeen = false;
    std::vector<Item> m_items;
    QByteArray m_hidden;
    bool m_capturing = false;
    QByteArray m_capture;
    CharFormat m_captureFormat;
    int m_skipChars = 0;
    int m_pendingTabKind = 0;
};

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

void Parser::run(const QByteArray& rtf)
{
    m_st.chr = plainFormat();
    const char* p = rtf.constData();
    const char* const end = p + rtf.size();
    while (p < end) {
        const char c = *p++;
        if (c == '{') {
            openGroup();
        } else if (c == '}') {
            closeGroup();
        } else if (c == '\\') {
            if (p >= end)
                break;
            const char n = *p;
            if ((n >= 'a' && n <= 'z') || (n >= 'A' && n <= 'Z')) {
                const char* w = p;
                while (p < end && ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z')))
                    ++p;
                const QByteArray word(w, p - w);
                bool hasParam = false;
                bool negative = false;
                long long param = 0;
                if (p < end && *p == '-' && p + 1 < end && *(p + 1) >= '0' && *(p + 1) <= '9') {
                    negative = true;
                    ++p;
                }
                while (p < end && *p >= '0' && *p <= '9') {
                    hasParam = true;
                    if (param < 100000000)
                        param = param * 10 + (*p - '0');
                    ++p;
                }
                if (p < end && *p == ' ')
                    ++p;
                controlWord(word, hasParam, static_cast<int>(negative ? -param : param));
            } else if (n == '\'') {
                ++p;
                auto hex = [](char h) -> int {
                    if (h >= '0' && h <= '9')
                        return h - '0';
                    if (h >= 'a' && h <= 'f')
                        return h - 'a' + 10;
                    if (h >= 'A' && h <= 'F')
                        return h - 'A' + 10;
                    return -1;
                };
                int v = 0;
                int digits = 0;
                while (digits < 2 && p < end && hex(*p) >= 0) {
                    v = v * 16 + hex(*p);
                    ++p;
                    ++digits;
                }
                if (digits > 0)
                    character(static_cast<unsigned char>(v));
            } else {
                ++p;
                controlSymbol(n);
            }
        } else if (c == '\r' || c == '\n') {
            continue;
        } else {
            character(static_cast<unsigned char>(c));
        }
    }
    while (!m_stack.empty())
        closeGroup();
    endParagraph(false);
    endTopic();
}

void Parser::openGroup()
{
    m_stack.push_back(m_st);
    m_st.starred = false;
    m_st.firstWord = true;
}

void Parser::closeGroup()
{
    if (m_stack.empty())
        return; // more closing braces than opening ones: our build's output has them
    const Dest leaving = m_st.dest;
    if (leaving == Dest::FontTable && m_tableFont >= 0 && !m_tableName.trimmed().isEmpty())
        commitFont();
    m_st = m_stack.back();
    m_stack.pop_back();
    if (leaving == Dest::Footnote && m_stack.size() < m_footnoteDepth)
        finishFootnote();
}

void Parser::controlSymbol(char c)
{
    switch (c) {
    case '\\':
        character('\\');
        break;
    case '{':
        literalOpen();
        break;
    case '}':
        literalClose();
        break;
    case '~':
        if (m_st.dest == Dest::Text && !m_st.hidden)
            emitItem(ItemKind::NbSpace);
        else
            character(' ');
        break;
    case '_':
        character('-');
        break;
    case '*':
        m_st.starred = true;
        break;
    case '\r':
    case '\n':
        controlWord("par", false, 0);
        break;
    case '\t':
        controlWord("tab", false, 0);
        break;
    default:
        break; // \- optional hyphen, \| \: index symbols
    }
}

void Parser::character(unsigned char c)
{
    if (m_skipChars > 0) {
        --m_skipChars;
        return;
    }
    switch (m_st.dest) {
    case Dest::Skip:
        return;
    case Dest::FontTable:
        if (c == ';') {
            if (m_tableFont >= 0)
                commitFont();
        } else {
            m_tableName.append(static_cast<char>(c));
        }
        return;
    case Dest::ColourTable:
        if (c == ';') {
            m_colours.push_back(m_colourSet ? m_colour : Colour{});
            m_colour = Colour{};
            m_colourSet = false;
        }
        return;
    case Dest::Footnote:
        if (c >= 0x20)
            m_footnoteText.append(static_cast<char>(c));
        return;
    case Dest::Text:
        break;
    }
    if (m_st.hidden) {
        m_hidden.append(static_cast<char>(c));
        return;
    }
    if (c == '\t') {
        emitItem(ItemKind::Tab);
        return;
    }
    if (c < 0x20)
        return;
    emitChar(c);
}

void Parser::controlWord(const QByteArray& word, bool hasParam, int param)
{
    const bool first = m_st.firstWord;
    m_st.firstWord = false;
    const int value = hasParam ? param : 1;

    // Destinations.
    if (word == "fonttbl") {
        m_st.dest = Dest::FontTable;
        return;
    }
    if (word == "colortbl") {
        m_st.dest = Dest::ColourTable;
        m_colours.clear();
        return;
    }
    if (word == "footnote") {
        if (m_st.dest == Dest::Text)
            startFootnote();
        else
            m_st.dest = Dest::Skip;
        return;
    }
    if (word == "fldrslt" || word == "field") {
        return;
    }
    if (skippedDestinations().contains(word) || (m_st.starred && first)) {
        m_st.dest = Dest::Skip;
        return;
    }
    if (m_st.dest == Dest::Skip)
        return;

    if (m_st.dest == Dest::FontTable) {
        if (word == "f") {
            m_tableFont = param;
            m_tableName.clear();
            m_tableFamily = 0;
        } else if (word == "fnil") {
            m_tableFamily = 0;
        } else if (word == "froman") {
            m_tableFamily = 2;
        } else if (word == "fswiss") {
            m_tableFamily = 3;
        } else if (word == "fmodern") {
            m_tableFamily = 1;
        } else if (word == "fscript") {
            m_tableFamily = 4;
        } else if (word == "fdecor" || word == "ftech") {
            m_tableFamily = 5;
        }
        return;
    }
    if (m_st.dest == Dest::ColourTable) {
        const auto v = static_cast<std::uint8_t>(qBound(0, param, 255));
        if (word == "red") {
            m_colour.r = v;
            m_colourSet = true;
        } else if (word == "green") {
            m_colour.g = v;
            m_colourSet = true;
        } else if (word == "blue") {
            m_colour.b = v;
            m_colourSet = true;
        }
        return;
    }

    CharFormat& chr = m_st.chr;
    ParaFormat& para = m_st.para;
    auto setAttr = [&](std::uint8_t bit, bool on) {
        if (on)
            chr.attrs |= bit;
        else
            chr.attrs &= static_cast<std::uint8_t>(~bit);
    };

    // Text and its breaks.
    if (word == "par") {
        if (m_st.dest == Dest::Text)
            endParagraph(true);
        else if (m_st.dest == Dest::Footnote)
            m_footnoteText.append(' ');
    } else if (word == "page") {
        if (m_st.dest == Dest::Text) {
            endParagraph(false);
            endTopic();
        }
    } else if (word == "line") {
        if (m_st.dest == Dest::Text)
            emitItem(ItemKind::LineBreak);
    } else if (word == "tab") {
        if (m_st.dest == Dest::Text && !m_st.hidden)
            emitItem(ItemKind::Tab);
        else if (m_st.dest == Dest::Footnote)
            m_footnoteText.append(' ');
    } else if (word == "u") {
        const QChar ch(static_cast<char16_t>(param & 0xFFFF));
        character(cp1252::representable(ch) ? cp1252::toByte(ch) : '?');
        m_skipChars = m_st.ucSkip;
    } else if (word == "uc") {
        m_st.ucSkip = qMax(0, param);
    } else if (word == "emdash") {
        character(0x97);
    } else if (word == "endash") {
        character(0x96);
    } else if (word == "bullet") {
        character(0x95);
    } else if (word == "lquote") {
        character(0x91);
    } else if (word == "rquote") {
        character(0x92);
    } else if (word == "ldblquote") {
        character(0x93);
    } else if (word == "rdblquote") {
        character(0x94);
    } else if (word == "emspace" || word == "enspace" || word == "qmspace") {
        character(' ');
    }
    // Document.
    else if (word == "deff") {
        m_defaultFontNumber = param;
    }
    // Characters.
    else if (word == "plain") {
        chr = plainFormat();
        m_st.hidden = false;
    } else if (word == "b") {
        setAttr(AttrBold, value != 0);
    } else if (word == "i") {
        setAttr(AttrItalic, value != 0);
    } else if (word == "ul" || word == "uld" || word == "ulw" || word == "uldash" || word == "ulth") {
        setAttr(AttrUnderline, value != 0);
        if (value != 0)
            setAttr(AttrDoubleUnderline, false);
    } else if (word == "uldb") {
        setAttr(AttrDoubleUnderline, value != 0);
        if (value != 0)
            setAttr(AttrUnderline, false);
    } else if (word == "ulnone") {
        setAttr(AttrUnderline | AttrDoubleUnderline, false);
    } else if (word == "strike") {
        setAttr(AttrStrike, value != 0);
    } else if (word == "scaps") {
        setAttr(AttrSmallCaps, value != 0);
    } else if (word == "v") {
        m_st.hidden = value != 0;
    } else if (word == "f") {
        chr.face = faceFor(param);
    } else if (word == "fs") {
        if (hasParam && param > 0)
            chr.halfPoints = qBound(2, param, 255);
    } else if (word == "cf") {
        if (param >= 0 && static_cast<size_t>(param) < m_colours.size()) {
            const Colour& c = m_colours[static_cast<size_t>(param)];
            chr.red = c.r;
            chr.green = c.g;
            chr.blue = c.b;
        } else {
            chr.red = chr.green = chr.blue = 0;
        }
    }
    // Paragraphs.
    else if (word == "pard") {
        para = ParaFormat{};
    } else if (word == "qc") {
        para.align = Align::Centre;
    } else if (word == "qr") {
        para.align = Align::Right;
    } else if (word == "ql" || word == "qj") {
        para.align = Align::Left;
    } else if (word == "li") {
        para.leftIndent = param;
    } else if (word == "ri") {
        para.rightIndent = param;
    } else if (word == "fi") {
        para.firstIndent = param;
    } else if (word == "sb") {
        para.spaceBefore = param;
    } else if (word == "sa") {
        para.spaceAfter = param;
    } else if (word == "sl") {
        para.lineSpacing = param;
    } else if (word == "keepn") {
        para.keepWithNext = value != 0;
    } else if (word == "keep") {
        para.noWrap = value != 0;
    } else if (word == "box") {
        para.border |= BorderBox;
    } else if (word == "brdrt") {
        para.border |= BorderTop;
    } else if (word == "brdrb") {
        para.border |= BorderBottom;
    } else if (word == "brdrl") {
        para.border |= BorderLeft;
    } else if (word == "brdrr") {
        para.border |= BorderRight;
    } else if (word == "brdrth") {
        if (para.border)
            para.border |= BorderThick;
    } else if (word == "brdrdb") {
        if (para.border)
            para.border |= BorderDouble;
    } else if (word == "tqr") {
        m_pendingTabKind = 1;
    } else if (word == "tqc") {
        m_pendingTabKind = 2;
    } else if (word == "tx" || word == "tb") {
        para.tabs.push_back({param, m_pendingTabKind});
        m_pendingTabKind = 0;
    }
    // Everything else (\s, \cs, \lang, \cgrid, \super, \widctlpar ...) changes nothing in a help file.
}

void Parser::appendText(const QByteArray& text, const CharFormat& format)
{
    if (!m_items.empty() && m_items.back().kind == ItemKind::Text && m_items.back().format == format) {
        m_items.back().text.append(text);
        return;
    }
    Item item;
    item.kind = ItemKind::Text;
    item.format = format;
    item.text = text;
    m_items.push_back(std::move(item));
}

void Parser::emitChar(unsigned char c)
{
    if (m_capturing) {
        m_capture.append(static_cast<char>(c));
        if (m_capture.size() > 300)
            flushCapture();
        return;
    }
    resolveHidden();
    if (!m_items.empty() && m_items.back().kind == ItemKind::Text && m_items.back().format == m_st.chr) {
        m_items.back().text.append(static_cast<char>(c));
        return;
    }
    appendText(QByteArray(1, static_cast<char>(c)), m_st.chr);
}

void Parser::emitItem(ItemKind kind)
{
    flushCapture();
    resolveHidden();
    Item item;
    item.kind = kind;
    item.format = m_st.chr;
    m_items.push_back(std::move(item));
}

// An escaped brace may open a picture reference: {bmc file.bmp}, {bml ...}, {bmr ...}.
void Parser::literalOpen()
{
    if (m_st.dest != Dest::Text || m_st.hidden) {
        character('{');
        return;
    }
    flushCapture();
    resolveHidden();
    m_capturing = true;
    m_capture.clear();
    m_captureFormat = m_st.chr;
}

void Parser::literalClose()
{
    if (!m_capturing) {
        character('}');
        return;
    }
    m_capturing = false;
    const QByteArray body = m_capture.trimmed();
    const QByteArray command = body.left(3).toLower();
    const int space = static_cast<int>(body.indexOf(' '));
    if (space > 0 && (command == "bmc" || command == "bml" || command == "bmr")
        && (space == 3 || (space == 4 && (body[3] == 't' || body[3] == 'T')))) {
        Item item;
        item.kind = ItemKind::Picture;
        item.format = m_captureFormat;
        item.text = body.mid(space + 1).trimmed();
        item.placement = command == "bmc" ? Placement::Character : command == "bml" ? Placement::Left : Placement::Right;
        m_items.push_back(std::move(item));
        m_capture.clear();
        return;
    }
    appendText(QByteArray("{").append(m_capture).append('}'), m_captureFormat);
    m_capture.clear();
}

void Parser::flushCapture()
{
    if (!m_capturing)
        return;
    m_capturing = false;
    appendText(QByteArray("{").append(m_capture), m_captureFormat);
    m_capture.clear();
}

// Hidden text after underlined text makes that text a hot spot: double underline or strike-through
// for a jump, single or dotted underline for a popup, '!' for a macro.
void Parser::resolveHidden()
{
    if (m_hidden.isEmpty())
        return;
    QByteArray target = m_hidden.trimmed();
    m_hidden.clear();
    if (target.isEmpty())
        return;
    const auto styled = [](const Item& it) {
        return (it.kind == ItemKind::Text || it.kind == ItemKind::Picture)
            && (it.format.attrs & (AttrUnderline | AttrDoubleUnderline | AttrStrike));
    };
    size_t begin = m_items.size();
    while (begin > 0 && styled(m_items[begin - 1]))
        --begin;
    if (begin == m_items.size())
        return; // hidden text with no hot spot before it is simply not shown
    bool jump = false;
    for (size_t i = begin; i < m_items.size(); ++i) {
        if (m_items[i].format.attrs & (AttrDoubleUnderline | AttrStrike))
            jump = true;
        m_items[i].format.attrs &= static_cast<std::uint8_t>(~(AttrUnderline | AttrDoubleUnderline | AttrStrike));
    }
    Item open;
    open.kind = ItemKind::HotspotBegin;
    open.format = m_items[begin].format;
    if (target.startsWith('!')) {
        open.link = LinkKind::Macro;
        open.text = target.mid(1).trimmed();
    } else {
        open.link = jump ? LinkKind::Jump : LinkKind::Popup;
        if (target.startsWith('%') || target.startsWith('*')) {
            open.plainLink = true;
            target = target.mid(1);
        }
        const int gt = static_cast<int>(target.indexOf('>'));
        if (gt >= 0) {
            open.window = target.mid(gt + 1).trimmed();
            target = target.left(gt);
        }
        const int at = static_cast<int>(target.indexOf('@'));
        if (at >= 0) {
            open.targetFile = target.mid(at + 1).trimmed();
            target = target.left(at);
        }
        open.text = target.trimmed();
    }
    Item close;
    close.kind = ItemKind::HotspotEnd;
    close.format = open.format;
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(begin), std::move(open));
    m_items.push_back(std::move(close));
}

void Parser::endParagraph(bool explicitBreak)
{
    flushCapture();
    resolveHidden();
    if (m_items.empty()) {
        // Paragraph marks before a topic's footnotes (our build ends each popup with one) are not text.
        if (!explicitBreak || (!m_footnoteSeen && m_topic.paragraphs.empty()))
            return;
    }
    Paragraph para;
    para.format = m_st.para;
    para.markFormat = m_st.chr;
    para.items = std::move(m_items);
    m_items.clear();
    m_topic.paragraphs.push_back(std::move(para));
}

void Parser::endTopic()
{
    bool hasText = false;
    for (const Paragraph& p : m_topic.paragraphs) {
        for (const Item& it : p.items) {
            if (it.kind != ItemKind::Text || !it.text.trimmed().isEmpty()) {
                hasText = true;
                break;
            }
        }
        if (hasText)
            break;
    }
    if (hasText || !m_topic.contexts.isEmpty() || !m_topic.title.isEmpty() || !m_topic.keywords.isEmpty()) {
        m_topic.sourceFile = m_source;
        m_doc.topics.push_back(std::move(m_topic));
    }
    m_topic = Topic{};
    m_footnoteSeen = false;
}

void Parser::commitFont()
{
    QByteArray name = m_tableName.trimmed();
    if (name.endsWith(';'))
        name.chop(1);
    if (!name.isEmpty())
        m_fonts[m_tableFont] = m_doc.faceIndex(name, m_tableFamily ? m_tableFamily : 3);
    m_tableFont = -1;
    m_tableName.clear();
    m_tableFamily = 0;
}

void Parser::startFootnote()
{
    flushCapture();
    resolveHidden();
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
    const QString where = m_topic.title.isEmpty() ? QString() : QStringLiteral(" (rubrique %1)").arg(quoted(cp1252::decode(m_topic.title)));

    switch (mark) {
    case '#':
        if (text.isEmpty()) {
            m_diag.warning(QStringLiteral("note # vide dans %1%2.").arg(quoted(m_source), where));
            break;
        }
        m_topic.contexts << text;
        break;
    case '$':
        if (!m_topic.title.isEmpty() && m_topic.title != text)
            m_diag.warning(QStringLiteral("deux titres pour une même rubrique : %1 et %2 ; le premier est gardé.")
                               .arg(quoted(cp1252::decode(m_topic.title)), quoted(cp1252::decode(text))));
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

} // namespace

QString Topic::displayName() const
{
    if (!title.isEmpty())
        return quoted(cp1252::decode(title));
    if (!contexts.isEmpty())
        return quoted(cp1252::decode(contexts.front()));
    return QStringLiteral("sans titre");
}

int HelpDocument::faceIndex(const QByteArray& name, std::uint8_t family)
{
    for (size_t i = 0; i < faces.size(); ++i) {
        if (faces[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    faces.push_back({name, family});
    return static_cast<int>(faces.size() - 1);
}

RtfReader::RtfReader(HelpDocument& document, Diagnostics& diagnostics) : m_doc(document), m_diag(diagnostics) {}

void RtfReader::read(const QByteArray& rtf, const QString& sourceName)
{
    Parser parser(m_doc, m_diag, sourceName);
    parser.run(rtf);
}

} // namespace hlp
