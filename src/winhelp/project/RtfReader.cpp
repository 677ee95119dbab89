#include "winhelp/project/RtfReader.h"

#include "winhelp/project/RtfParser.h"

#include <cstring>
#include <iterator>

namespace hlp {

namespace rtf {

Parser::Parser(HelpDocument& doc, Diagnostics& diag, const QString& source, const CodePage& codePage, bool codePageFixed)
    : m_doc(doc), m_diag(diag), m_source(source), m_codePage(codePage), m_codePageFixed(codePageFixed)
{
}

void Parser::run(const QByteArray& rtf)
{
    const WordTable& words = wordTable();
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
                controlWord(words.find(word), hasParam, static_cast<int>(negative ? -param : param));
                if (m_binaryLeft > 0) {
                    // \binN: N bytes of binary data follow, whatever they look like.
                    const qsizetype n = qMin<qsizetype>(m_binaryLeft, end - p);
                    if (m_st.dest == Dest::Picture)
                        m_picture.data.append(p, n);
                    p += n;
                    m_binaryLeft = 0;
                }
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
            p = runEnd(p, end);
            if (p < end && (*p == '\\' || *p == '\r' || *p == '\n') && m_st.dest != Dest::Picture) {
                m_run.assign(run, static_cast<size_t>(p - run));
                while (p < end) {
                    if (isRunChar(*p)) {
                        run = p;
                        p = runEnd(p, end);
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
    m_st = std::move(m_stack.back());
    m_stack.pop_back();
    if (leaving == Dest::Footnote && m_stack.size() < m_footnoteDepth)
        finishFootnote();
    if (leaving == Dest::Picture && m_st.dest != Dest::Picture && m_stack.size() < m_pictureDepth)
        finishPicture();
    if (m_objectDepth > 0 && m_stack.size() < m_objectDepth)
        finishObject();
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
    case Dest::Object:
        return;
    case Dest::Picture: {
        const char ch = static_cast<char>(c);
        pictureBytes(&ch, 1);
        return;
    }
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
    if (m_st.dest == Dest::Picture) {
        pictureBytes(run, n);
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
    m_skipShapeTwin = false;
    resolveHidden();
    addText(run, n, m_st.chr);
}

void Parser::controlWord(Word w, bool hasParam, int param)
{
    const bool first = m_st.firstWord;
    m_st.firstWord = false;

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
    if (w == Word::fldrslt || w == Word::field)
        return;
    if (w == Word::object) {
        if (m_st.dest == Dest::Text && m_objectDepth == 0)
            startObject();
        else
            m_st.dest = m_st.dest == Dest::Text ? Dest::Object : Dest::Skip;
        return;
    }
    if (w == Word::result) {
        // What a reader without OLE shows in the object's place is read as text.
        m_st.dest = m_st.dest == Dest::Object ? Dest::Text : Dest::Skip;
        return;
    }
    if (w == Word::shppict) {
        // Word's own picture: read it, and skip its copy for older readers that follows.
        m_st.shapePicture = m_st.dest == Dest::Text;
        if (m_st.dest != Dest::Text)
            m_st.dest = Dest::Skip;
        return;
    }
    if (w == Word::nonshppict) {
        if (m_skipShapeTwin || m_st.dest != Dest::Text)
            m_st.dest = Dest::Skip;
        m_skipShapeTwin = false;
        return;
    }
    if (w == Word::pict) {
        if (m_st.dest == Dest::Text)
            startPicture();
        else
            m_st.dest = Dest::Skip;
        return;
    }
    if (w == Word::SkippedDestination || (m_st.starred && first)) {
        m_st.dest = Dest::Skip;
        return;
    }
    switch (m_st.dest) {
    case Dest::Skip:
    case Dest::Object:
        return;
    case Dest::FontTable:
    case Dest::ColourTable:
        tableWord(w, param);
        return;
    case Dest::Picture:
        pictureWord(w, hasParam, param);
        return;
    case Dest::Text:
    case Dest::Footnote:
        break;
    }

    // Text and its breaks, then the formatting words by their kind.
    switch (w) {
    case Word::par:
        if (m_st.dest == Dest::Text)
            endParagraph(true);
        else
            m_footnoteText.append(' ');
        break;
    case Word::page:
        if (m_st.dest == Dest::Text) {
            endParagraph(false);
            endTopic();
        }
        break;
    case Word::line:
        if (m_st.dest == Dest::Text)
            emitItem(ItemKind::LineBreak);
        break;
    case Word::tab:
        if (m_st.dest == Dest::Text && !m_st.hidden)
            emitItem(ItemKind::Tab);
        else if (m_st.dest == Dest::Footnote)
            m_footnoteText.append(' ');
        break;
    case Word::u: {
        // The character in the project's code page; when it has none, the replacement the file
        // gives after it (usually a byte of the font's own code page) stands for it.
        const int byte = m_codePage.byteFor(static_cast<char32_t>(param & 0xFFFF));
        if (byte >= 0) {
            character(static_cast<unsigned char>(byte));
            m_skipChars = m_st.ucSkip;
        }
        break;
    }
    case Word::uc:
        m_st.ucSkip = qMax(0, param);
        break;
    case Word::emdash:
        character(0x97);
        break;
    case Word::endash:
        character(0x96);
        break;
    case Word::bullet:
        character(0x95);
        break;
    case Word::lquote:
        character(0x91);
        break;
    case Word::rquote:
        character(0x92);
        break;
    case Word::ldblquote:
        character(0x93);
        break;
    case Word::rdblquote:
        character(0x94);
        break;
    case Word::emspace:
    case Word::enspace:
    case Word::qmspace:
        character(' ');
        break;
    case Word::deff:
    case Word::ansicpg:
        documentWord(w, param);
        break;
    case Word::plain:
    case Word::b:
    case Word::i:
    case Word::ul:
    case Word::uld:
    case Word::ulw:
    case Word::uldash:
    case Word::ulth:
    case Word::uldb:
    case Word::ulnone:
    case Word::strike:
    case Word::scaps:
    case Word::v:
    case Word::f:
    case Word::fs:
    case Word::cf:
        characterWord(w, hasParam, param);
        break;
    case Word::trowd:
    case Word::trgaph:
    case Word::trleft:
    case Word::cellx:
    case Word::cell:
    case Word::row:
    case Word::intbl:
    case Word::nestcell:
    case Word::nestrow:
    case Word::clbrdrt:
    case Word::clbrdrl:
    case Word::clbrdrb:
    case Word::clbrdrr:
    case Word::brdrs:
    case Word::brdrw:
    case Word::brdrth:
    case Word::brdrdb:
    case Word::brdrnone:
        // The border words describe a cell's side or, when no cell is being defined, a paragraph's.
        if (!rowWord(w, hasParam, param))
            paragraphWord(w, hasParam, param);
        break;
    default:
        paragraphWord(w, hasParam, param);
        break;
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
    m_skipShapeTwin = false;
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
        item.picture = m_doc.pictureFile(item.text);
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
// for a jump, single or dotted underline for a popup, '!' for macros. Word splits hidden text
// over as many groups as it likes: all of it is gathered before it is looked at.
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
    // '%' (or '*') first: the hot spot is not marked by the viewer, whatever it leads to.
    if (target.startsWith('%') || target.startsWith('*')) {
        open.plainLink = true;
        target = target.mid(1).trimmed();
    }
    if (target.startsWith('!')) {
        open.link = LinkKind::Macro;
        open.text = target.mid(1).trimmed();
    } else {
        open.link = jump ? LinkKind::Jump : LinkKind::Popup;
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
    const bool inCell = m_st.inTable;
    if (!inCell)
        closeOpenRow();
    if (m_items.empty()) {
        // Paragraph marks before a topic's footnotes (our build ends each popup with one) are not text.
        if (!explicitBreak || (!m_footnoteSeen && m_topic.paragraphs.empty()))
            return;
    }
    Paragraph para;
    para.format = m_st.para;
    para.markFormat = m_st.chr;
    if (inCell) {
        if (!m_rowOpen) {
            m_rowOpen = true;
            m_rowFirstParagraph = m_topic.paragraphs.size();
            m_cellIndex = 0;
        }
        para.cell = m_cellIndex;
    }
    // Moved item by item so that m_items keeps its capacity for the next paragraph.
    para.items.reserve(m_items.size());
    std::move(m_items.begin(), m_items.end(), std::back_inserter(para.items));
    m_items.clear();
    m_topic.paragraphs.push_back(std::move(para));
}

void Parser::endTopic()
{
    closeOpenRow();
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

QString Parser::where() const
{
    return m_topic.title.isEmpty() ? QStringLiteral("dans %1").arg(quoted(m_source))
                                   : QStringLiteral("dans la rubrique %1").arg(quoted(text(m_topic.title)));
}

} // namespace rtf

QString Topic::displayName(const CodePage& codePage) const
{
    if (!title.isEmpty())
        return quoted(codePage.decode(title));
    if (!contexts.isEmpty())
        return quoted(codePage.decode(contexts.front()));
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

int HelpDocument::pictureFile(const QByteArray& name)
{
    const QByteArray key = name.toLower();
    const auto it = m_pictureFiles.constFind(key);
    if (it != m_pictureFiles.constEnd())
        return it.value();
    Picture p;
    p.source = PictureSource::File;
    p.name = name;
    pictures.push_back(std::move(p));
    const int n = static_cast<int>(pictures.size() - 1);
    m_pictureFiles.insert(key, n);
    return n;
}

RtfReader::RtfReader(HelpDocument& document, Diagnostics& diagnostics) : m_doc(document), m_diag(diagnostics) {}

void RtfReader::read(const QByteArray& rtf, const QString& sourceName)
{
    rtf::Parser parser(m_doc, m_diag, sourceName, m_diag.codePage(), m_codePageFixed);
    parser.run(rtf);
}

} // namespace hlp
