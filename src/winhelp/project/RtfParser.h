#pragma once
// The RTF reader's parser, shared by the files that read its parts: RtfReader.cpp (text, hot
// spots, paragraphs, topics), RtfFormatting.cpp (character and paragraph formats),
// RtfDestinations.cpp (font and colour tables, footnotes),
// RtfTables.cpp (table rows) and RtfPictures.cpp ({\pict} groups). Only RtfReader uses it.
#include "winhelp/format/CodePage.h"
#include "winhelp/model/Diagnostics.h"
#include "winhelp/model/HelpModel.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace hlp::rtf {

// Object: inside {\object}, where only its {\result} (what a reader without OLE shows) is read.
enum class Dest : std::uint8_t { Text, Skip, FontTable, ColourTable, Footnote, Picture, Object };

struct GroupState {
    Dest dest = Dest::Text;
    CharFormat chr;
    ParaFormat para;
    bool hidden = false;
    bool inTable = false;     // \intbl: the paragraph is a table cell's
    int ucSkip = 1;
    bool starred = false;     // \* seen: an unknown destination word skips the group
    bool firstWord = true;    // no control word yet in this group
    bool shapePicture = false; // inside {\*\shppict}: Word's own picture, its \nonshppict twin follows
};

struct Colour {
    std::uint8_t r = 0, g = 0, b = 0;
};

enum class Word : std::uint8_t {
    Unknown,
    SkippedDestination,
    fonttbl, colortbl, footnote, fldrslt, field, object, result,
    f, fnil, froman, fswiss, fmodern, fscript, fdecor, ftech, fcharset, ansicpg,
    red, green, blue,
    par, page, line, tab, u, uc,
    emdash, endash, bullet, lquote, rquote, ldblquote, rdblquote, emspace, enspace, qmspace,
    deff, plain, b, i, ul, uld, ulw, uldash, ulth, uldb, ulnone, strike, scaps, v, fs, cf,
    pard, qc, qr, ql, qj, li, ri, fi, sb, sa, sl, keepn, keep,
    box, brdrt, brdrb, brdrl, brdrr, brdrth, brdrdb, brdrs, brdrnone, brdrw, tqr, tqc, tx, tb,
    // tables
    trowd, trgaph, trleft, cellx, cell, row, intbl, nestcell, nestrow, clbrdrt, clbrdrl, clbrdrb, clbrdrr,
    // pictures
    pict, shppict, nonshppict, picw, pich, picwgoal, pichgoal, wmetafile, dibitmap, wbitmap, wbmbitspixel,
    wbmplanes, wbmwidthbytes, pngblip, jpegblip, emfblip, macpict, pmmetafile, bin,
};

// Control words by their first letter and length: one or two candidates each, compared in place.
// Cheaper than hashing the word, which the reader does for every control word of the file.
class WordTable {
public:
    void emplace(std::string_view word, Word w);
    Word find(std::string_view word) const
    {
        if (word.empty())
            return Word::Unknown;
        for (const auto& [name, w] : m_buckets[bucket(word)]) {
            if (name.size() == word.size() && memcmp(name.data(), word.data(), word.size()) == 0)
                return w;
        }
        return Word::Unknown;
    }

private:
    static size_t bucket(std::string_view word)
    {
        return (static_cast<unsigned char>(word.front()) & 0x7F) * 16 + std::min<size_t>(word.size(), 15);
    }
    std::array<std::vector<std::pair<std::string_view, Word>>, 128 * 16> m_buckets;
};

// Every control word the reader knows (RtfWords.cpp).
const WordTable& wordTable();

class Parser {
public:
    Parser(HelpDocument& doc, Diagnostics& diag, const QString& source, const CodePage& codePage, bool codePageFixed);

    void run(const QByteArray& rtf);

private:
    // tokens
    void controlWord(Word w, bool hasParam, int param);
    bool documentWord(Word w, int param);
    bool characterWord(Word w, bool hasParam, int param);
    bool paragraphWord(Word w, bool hasParam, int param);
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
    // The end of the run of such bytes that starts at `p`.
    static const char* runEnd(const char* p, const char* end)
    {
#if defined(__SSE2__)
        const __m128i control = _mm_set1_epi8(0x1F);
        const __m128i open = _mm_set1_epi8('{');
        const __m128i close = _mm_set1_epi8('}');
        const __m128i slash = _mm_set1_epi8('\\');
        for (; end - p >= 16; p += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i stop = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(v, control), v), _mm_cmpeq_epi8(v, open)),
                _mm_or_si128(_mm_cmpeq_epi8(v, close), _mm_cmpeq_epi8(v, slash)));
            if (const int hits = _mm_movemask_epi8(stop))
                return p + __builtin_ctz(unsigned(hits));
        }
#endif
        while (p < end && isRunChar(*p))
            ++p;
        return p;
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
    QString text(const QByteArray& bytes) const { return m_codePage.decode(bytes); }
    QString where() const;

    // font and colour tables, footnotes (RtfDestinations.cpp)
    bool tableWord(Word w, int param);
    void commitFont();
    void startFootnote();
    void finishFootnote();
    int faceFor(int fontNumber);
    int defaultFace();
    CharFormat plainFormat();

    // tables (RtfTables.cpp)
    bool rowWord(Word w, bool hasParam, int param);
    void endCell();
    void endRow();
    void closeOpenRow();

    // pictures (RtfPictures.cpp)
    bool pictureWord(Word w, bool hasParam, int param);
    void startPicture();
    void pictureBytes(const char* data, qsizetype n);
    void finishPicture();
    void startObject();
    void finishObject();

    HelpDocument& m_doc;
    Diagnostics& m_diag;
    QString m_source;
    CodePage m_codePage;
    bool m_codePageFixed; // the project says its code page: the fonts do not change it

    std::vector<GroupState> m_stack;
    GroupState m_st;

    // font table
    std::unordered_map<int, int> m_fonts; // RTF font number -> face
    int m_defaultFontNumber = 0;
    int m_defaultFace = -1;
    int m_tableFont = -1;
    std::uint8_t m_tableFamily = 0;
    int m_tableCharset = -1;
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

    // table row being read
    TableRow m_rowDef;            // the latest \trowd ... \cellx definition
    std::uint8_t m_cellBorder = 0; // borders of the cell whose \cellx comes next
    std::uint8_t m_borderSide = 0; // the side the border words describe (0: the paragraph's)
    bool m_rowOpen = false;
    size_t m_rowFirstParagraph = 0;
    int m_cellIndex = 0;

    // picture being read
    size_t m_pictureDepth = 0;
    Picture m_picture;
    int m_pictureNibble = -1;
    qsizetype m_binaryLeft = 0; // bytes of \binN still to come
    bool m_skipShapeTwin = false; // the {\nonshppict} after a usable {\*\shppict} is a copy

    // OLE object being read: its group's depth (0: none) and what was shown when it began
    size_t m_objectDepth = 0;
    size_t m_objectPictures = 0;
    size_t m_objectParagraphs = 0;
    size_t m_objectItems = 0;
    size_t m_objectText = 0;
};

} // namespace hlp::rtf
