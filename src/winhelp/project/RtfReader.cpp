#include "winhelp/project/RtfReader.h"

#include "platform/core/Cp1252.h"

#include <QHash>
#include <QSet>
#include <array>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
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
        "private", "userprops", "mmathPr", "wgrffmtfilter", "pnseclvl", "listtext", "blipuid", "panose",
        "falt", "fontemb", "fontfile", "objdata", "result", "passwordhash", "protusertbl", "upr", "ud"};
    return set;
}

enum class Word : std::uint8_t {
    Unknown,
    SkippedDestination,
    fonttbl,
    colortbl,
    footnote,
    fldrslt,
    field,
    f,
    fnil,
    froman,
    fswiss,
    fmodern,
    fscript,
    fdecor,
    ftech,
    red,
    green,
    blue,
    par,
    page,
    line,
    tab,
    u,
    uc,
    emdash,
    endash,
    bullet,
    lquote,
    rquote,
    ldblquote,
    rdblquote,
    emspace,
    enspace,
    qmspace,
    deff,
    plain,
    b,
    i,
    ul,
    uld,
    ulw,
    uldash,
    ulth,
    uldb,
    ulnone,
    strike,
    scaps,
    v,
    fs,
    cf,
    pard,
    qc,
    qr,
    ql,
    qj,
    li,
    ri,
    fi,
    sb,
    sa,
    sl,
    keepn,
    keep,
    box,
    brdrt,
    brdrb,
    brdrl,
    brdrr,
    brdrth,
    brdrdb,
    tqr,
    tqc,
    tx,
    tb,
};

// Control words by their first letter: a handful of candidates each, compared by length first.
// Cheaper than hashing the word, which the reader does for every control word of the file.
class WordTable {
public:
    void emplace(std::string_view word, Word w)
    {
        auto& bucket = m_buckets[static_cast<unsigned char>(word.front()) & 0x7F];
        for (const auto& e : bucket) {
            if (e.first == word)
                return; // the first entry wins, as with a map
        }
        bucket.emplace_back(word, w);
    }
    Word find(std::string_view word) const
    {
        if (word.empty())
            return Word::Unknown;
        for (const auto& [name, w] : m_buckets[static_cast<unsigned char>(word.front()) & 0x7F]) {
            if (name.size() == word.size() && memcmp(name.data(), word.data(), word.size()) == 0)
                return w;
        }
        return Word::Unknown;
    }

private:
    std::array<std::vector<std::pair<std::string_view, Word>>, 128> m_buckets;
};

Word lookupWord(std::string_view word)
{
    static const WordTable table = [] {
        WordTable t;
        t.emplace("fonttbl", Word::fonttbl);
        t.emplace("colortbl", Word::colortbl);
        t.emplace("footnote", Word::footnote);
        t.emplace("fldrslt", Word::fldrslt);
        t.emplace("field", Word::field);
        t.emplace("f", Word::f);
        t.emplace("fnil", Word::fnil);
        t.emplace("froman", Word::froman);
        t.emplace("fswiss", Word::fswiss);
        t.emplace("fmodern", Word::fmodern);
        t.emplace("fscript", Word::fscript);
        t.emplace("fdecor", Word::fdecor);
        t.emplace("ftech", Word::ftech);
        t.emplace("red", Word::red);
        t.emplace("green", Word::green);
        t.emplace("blue", Word::blue);
        t.emplace("par", Word::par);
        t.emplace("page", Word::page);
        t.emplace("line", Word::line);
        t.emplace("tab", Word::tab);
        t.emplace("u", Word::u);
        t.emplace("uc", Word::uc);
        t.emplace("emdash", Word::emdash);
        t.emplace("endash", Word::endash);
        t.emplace("bullet", Word::bullet);
        t.emplace("lquote", Word::lquote);
        t.emplace("rquote", Word::rquote);
        t.emplace("ldblquote", Word::ldblquote);
        t.emplace("rdblquote", Word::rdblquote);
        t.emplace("emspace", Word::emspace);
        t.emplace("enspace", Word::enspace);
        t.emplace("qmspace", Word::qmspace);
        t.emplace("deff", Word::deff);
        t.emplace("plain", Word::plain);
        t.emplace("b", Word::b);
        t.emplace("i", Word::i);
        t.emplace("ul", Word::ul);
        t.emplace("uld", Word::uld);
        t.emplace("ulw", Word::ulw);
        t.emplace("uldash", Word::uldash);
        t.emplace("ulth", Word::ulth);
        t.emplace("uldb", Word::uldb);
        t.emplace("ulnone", Word::ulnone);
        t.emplace("strike", Word::strike);
        t.emplace("scaps", Word::scaps);
        t.emplace("v", Word::v);
        t.emplace("fs", Word::fs);
        t.emplace("cf", Word::cf);
        t.emplace("pard", Word::pard);
        t.emplace("qc", Word::qc);
        t.emplace("qr", Word::qr);
        t.emplace("ql", Word::ql);
        t.emplace("qj", Word::qj);
        t.emplace("li", Word::li);
        t.emplace("ri", Word::ri);
        t.emplace("fi", Word::fi);
        t.emplace("sb", Word::sb);
        t.emplace("sa", Word::sa);
        t.emplace("sl", Word::sl);
        t.emplace("keepn", Word::keepn);
        t.emplace("keep", Word::keep);
        t.emplace("box", Word::box);
        t.emplace("brdrt", Word::brdrt);
        t.emplace("brdrb", Word::brdrb);
        t.emplace("brdrl", Word::brdrl);
        t.emplace("brdrr", Word::brdrr);
        t.emplace("brdrth", Word::brdrth);
        t.emplace("brdrdb", Word::brdrdb);
        t.emplace("tqr", Word::tqr);
        t.emplace("tqc", Word::tqc);
        t.emplace("tx", Word::tx);
        t.emplace("tb", Word::tb);
        for (const QByteArray& d : skippedDestinations())
            t.emplace(std::string_view(d.constData(), static_cast<size_t>(d.size())), Word::SkippedDestination);
        return t;
    }();
    return table.find(word);
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
    void controlWord(Word w, bool hasParam, int param);
    void controlSymbol(char c);
    void character(unsigned char c);
    void characters(const char* run, qsizetype n);
    // The byte of \'xx, p just after the quote and left after the digits; -1 without digits.
    static int hexByte(const char*& p, const char* end)
    {
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
        return digits > 0 ? v : -1;
    }
    // Printable bytes that are no RTF syntax: what a run of plain text is made of.
    static bool isRunChar(char c)
    {
        return static_cast<unsigned char>(c) >= 0x20 && c != '{' && c != '}' && c != '\\';
    }
    void openGroup();
    void closeGroup();

    // text
    void emitChar(unsigned char c);
    void emitItem(ItemKind kind);
    void literalOpen();
    void literalClose();
    void flushCapture();
    void appendText(const QByteArray& text, const CharFormat& format);
    void addText(const char* text, qsizetype n, const CharFormat& format);
    void flushText();
    QByteArray storedText(const char* text, qsizetype n);
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
    bool m_pendingActive = false;
    CharFormat m_pendingFormat;
    std::string m_pendingText;
    std::string m_run; // a run of text being gathered from the file
    QByteArray m_store;          // the block text items are being cut from
    char* m_storeBase = nullptr; // its bytes, written before they are shared
    qsizetype m_storeUsed = 0;
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
                const std::string_view word(w, static_cast<size_t>(p - w));
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
                controlWord(lookupWord(word), hasParam, static_cast<int>(negative ? -param : param));
            } else if (n == '\'') {
                ++p;
                const int v = hexByte(p, end);
                if (v >= 0)
                    character(static_cast<unsigned char>(v));
            } else {
                ++p;
                controlSymbol(n);
            }
        } else if (c == '\r' || c == '\n') {
            continue;
        } else if (m_skipChars == 0 && isRunChar(c)) {
            // Plain text comes in runs, with \'xx characters and line ends inside: handle the run
            // at once rather than character by character.
            const char* run = p - 1;
            while (p < end && isRunChar(*p))
                ++p;
            if (p < end && (*p == '\\' || *p == '\r' || *p == '\n')) {
                m_run.assign(run, static_cast<size_t>(p - run));
                while (p < end) {
                    if (isRunChar(*p)) {
                        run = p;
                        while (p < end && isRunChar(*p))
                            ++p;
                        m_run.append(run, static_cast<size_t>(p - run));
                    } else if (*p == '\r' || *p == '\n') {
                        ++p;
                    } else if (*p == '\\' && p + 1 < end && p[1] == '\'') {
                        const char* q = p + 2;
                        const int v = hexByte(q, end);
                        if (v >= 0 && v < 0x20)
                            break; // a control byte: the character-by-character path
                        if (v >= 0)
                            m_run.push_back(static_cast<char>(v));
                        p = q;
                    } else {
                        break;
                    }
                }
                characters(m_run.data(), static_cast<qsizetype>(m_run.size()));
            } else {
                characters(run, static_cast<qsizetype>(p - run));
            }
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
        controlWord(Word::par, false, 0);
        break;
    case '\t':
        controlWord(Word::tab, false, 0);
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

// The same as character() for each byte of a run of printable bytes, with no skip pending.
void Parser::characters(const char* run, qsizetype n)
{
    if (m_st.dest == Dest::Footnote) {
        m_footnoteText.append(run, n);
        return;
    }
    if (m_st.dest != Dest::Text || m_capturing) {
        for (qsizetype i = 0; i < n; ++i)
            character(static_cast<unsigned char>(run[i]));
        return;
    }
    if (m_st.hidden) {
        m_hidden.append(run, n);
        return;
    }
    resolveHidden();
    addText(run, n, m_st.chr);
}

void Parser::controlWord(Word w, bool hasParam, int param)
{
    const bool first = m_st.firstWord;
    m_st.firstWord = false;
    const int value = hasParam ? param : 1;

    // Destinations.
    if (w == Word::fonttbl) {
        m_st.dest = Dest::FontTable;
        return;
    }
    if (w == Word::colortbl) {
        m_st.dest = Dest::ColourTable;
        m_colours.clear();
        return;
    }
    if (w == Word::footnote) {
        if (m_st.dest == Dest::Text)
            startFootnote();
        else
            m_st.dest = Dest::Skip;
        return;
    }
    if (w == Word::fldrslt || w == Word::field) {
        return;
    }
    if (w == Word::SkippedDestination || (m_st.starred && first)) {
        m_st.dest = Dest::Skip;
        return;
    }
    if (m_st.dest == Dest::Skip)
        return;

    if (m_st.dest == Dest::FontTable) {
        if (w == Word::f) {
            m_tableFont = param;
            m_tableName.clear();
            m_tableFamily = 0;
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
        }
        return;
    }
    if (m_st.dest == Dest::ColourTable) {
        const auto v = static_cast<std::uint8_t>(qBound(0, param, 255));
        if (w == Word::red) {
            m_colour.r = v;
            m_colourSet = true;
        } else if (w == Word::green) {
            m_colour.g = v;
            m_colourSet = true;
        } else if (w == Word::blue) {
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
    if (w == Word::par) {
        if (m_st.dest == Dest::Text)
            endParagraph(true);
        else if (m_st.dest == Dest::Footnote)
            m_footnoteText.append(' ');
    } else if (w == Word::page) {
        if (m_st.dest == Dest::Text) {
            endParagraph(false);
            endTopic();
        }
    } else if (w == Word::line) {
        if (m_st.dest == Dest::Text)
            emitItem(ItemKind::LineBreak);
    } else if (w == Word::tab) {
        if (m_st.dest == Dest::Text && !m_st.hidden)
            emitItem(ItemKind::Tab);
        else if (m_st.dest == Dest::Footnote)
            m_footnoteText.append(' ');
    } else if (w == Word::u) {
        const QChar ch(static_cast<char16_t>(param & 0xFFFF));
        character(cp1252::representable(ch) ? cp1252::toByte(ch) : '?');
        m_skipChars = m_st.ucSkip;
    } else if (w == Word::uc) {
        m_st.ucSkip = qMax(0, param);
    } else if (w == Word::emdash) {
        character(0x97);
    } else if (w == Word::endash) {
        character(0x96);
    } else if (w == Word::bullet) {
        character(0x95);
    } else if (w == Word::lquote) {
        character(0x91);
    } else if (w == Word::rquote) {
        character(0x92);
    } else if (w == Word::ldblquote) {
        character(0x93);
    } else if (w == Word::rdblquote) {
        character(0x94);
    } else if (w == Word::emspace || w == Word::enspace || w == Word::qmspace) {
        character(' ');
    }
    // Document.
    else if (w == Word::deff) {
        m_defaultFontNumber = param;
    }
    // Characters.
    else if (w == Word::plain) {
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
    }
    // Paragraphs.
    else if (w == Word::pard) {
        para = ParaFormat{};
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
        para.keepWithNext = value != 0;
    } else if (w == Word::keep) {
        para.noWrap = value != 0;
    } else if (w == Word::box) {
        para.border |= BorderBox;
    } else if (w == Word::brdrt) {
        para.border |= BorderTop;
    } else if (w == Word::brdrb) {
        para.border |= BorderBottom;
    } else if (w == Word::brdrl) {
        para.border |= BorderLeft;
    } else if (w == Word::brdrr) {
        para.border |= BorderRight;
    } else if (w == Word::brdrth) {
        if (para.border)
            para.border |= BorderThick;
    } else if (w == Word::brdrdb) {
        if (para.border)
            para.border |= BorderDouble;
    } else if (w == Word::tqr) {
        m_pendingTabKind = 1;
    } else if (w == Word::tqc) {
        m_pendingTabKind = 2;
    } else if (w == Word::tx || w == Word::tb) {
        para.tabs.push_back({param, m_pendingTabKind});
        m_pendingTabKind = 0;
    }
    // Everything else (\s, \cs, \lang, \cgrid, \super, \widctlpar ...) changes nothing in a help file.
}

void Parser::appendText(const QByteArray& text, const CharFormat& format)
{
    addText(text.constData(), text.size(), format);
}

// Text of the last item is gathered in m_pendingText, whose buffer is reused, and becomes an item
// of its own size once complete: one allocation per text item instead of one per growth.
void Parser::addText(const char* text, qsizetype n, const CharFormat& format)
{
    if (m_pendingActive && m_pendingFormat == format) {
        m_pendingText.append(text, static_cast<size_t>(n));
        return;
    }
    flushText();
    if (!m_items.empty() && m_items.back().kind == ItemKind::Text && m_items.back().format == format) {
        m_items.back().text.append(text, n);
        return;
    }
    m_pendingActive = true;
    m_pendingFormat = format;
    m_pendingText.append(text, static_cast<size_t>(n));
}

// Text items are slices of shared blocks rather than an allocation each: a large help file has
// hundreds of thousands of them, and allocating and freeing them one by one dominated the compile.
// Each slice holds a reference to its block and is NUL-terminated like any QByteArray; changing a
// slice detaches it as usual.
QByteArray Parser::storedText(const char* text, qsizetype n)
{
    constexpr qsizetype kBlock = 64 * 1024;
    if (n == 0 || n >= kBlock / 8)
        return QByteArray(text, n);
    if (!m_storeBase || m_storeUsed + n + 1 > m_store.size()) {
        m_store = QByteArray(kBlock, Qt::Uninitialized);
        m_storeBase = m_store.data();
        m_storeUsed = 0;
    }
    char* const at = m_storeBase + m_storeUsed;
    memcpy(at, text, static_cast<size_t>(n));
    at[n] = '\0';
    m_storeUsed += n + 1;
    QByteArray::DataPointer slice = m_store.data_ptr(); // one more reference to the block
    slice.ptr = at;
    slice.size = n;
    return QByteArray(std::move(slice));
}

void Parser::flushText()
{
    if (!m_pendingActive)
        return;
    m_pendingActive = false;
    Item item;
    item.kind = ItemKind::Text;
    item.format = m_pendingFormat;
    item.text = storedText(m_pendingText.data(), static_cast<qsizetype>(m_pendingText.size()));
    m_pendingText.clear();
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
    const char ch = static_cast<char>(c);
    addText(&ch, 1, m_st.chr);
}

void Parser::emitItem(ItemKind kind)
{
    flushCapture();
    resolveHidden();
    flushText();
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
        flushText();
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
    flushText();
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
        LinkTarget where;
        const int gt = static_cast<int>(target.indexOf('>'));
        if (gt >= 0) {
            where.window = target.mid(gt + 1).trimmed();
            target = target.left(gt);
        }
        const int at = static_cast<int>(target.indexOf('@'));
        if (at >= 0) {
            where.file = target.mid(at + 1).trimmed();
            target = target.left(at);
        }
        if (!where.window.isEmpty() || !where.file.isEmpty()) {
            open.linkTarget = static_cast<int>(m_topic.links.size());
            m_topic.links.push_back(std::move(where));
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
    flushText();
    if (m_items.empty()) {
        // Paragraph marks before a topic's footnotes (our build ends each popup with one) are not text.
        if (!explicitBreak || (!m_footnoteSeen && m_topic.paragraphs.empty()))
            return;
    }
    Paragraph para;
    para.format = m_st.para;
    para.markFormat = m_st.chr;
    // Moved item by item so that m_items keeps its capacity for the next paragraph.
    para.items.reserve(m_items.size());
    std::move(m_items.begin(), m_items.end(), std::back_inserter(para.items));
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

bool isRtfDestination(QByteArrayView word)
{
    const QByteArray w = word.toByteArray();
    return w == "footnote" || w == "fonttbl" || w == "colortbl" || skippedDestinations().contains(w);
}

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
