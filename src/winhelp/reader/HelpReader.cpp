// The reader's run, and the parts of a help file read before the topics: |SYSTEM (options,
// windows, start-up macros), |FONT, the per-window macros (|CFn) and the baggage.
#include "winhelp/reader/HelpReader.h"

#include "winhelp/format/CntFile.h"
#include "winhelp/format/HlpBytes.h"

#include <algorithm>

namespace hlp::fileread {

namespace {

constexpr int kMaxWarnings = 60;

QByteArray fixedString(ByteReader& r, int size)
{
    QByteArray b = r.bytes(size);
    const qsizetype nul = b.indexOf('\0');
    if (nul >= 0)
        b.truncate(nul);
    return b;
}

QByteArray stringOf(const QByteArray& data)
{
    const qsizetype nul = data.indexOf('\0');
    return nul >= 0 ? data.left(nul) : data;
}

} // namespace

void HelpReader::warn(const QString& message)
{
    ++m_warningCount;
    if (m_warningCount <= kMaxWarnings)
        m_warnings << message;
}

void HelpReader::run(const QByteArray& data, const QByteArray& contentsFile)
{
    m_fs.open(data);
    m_expandBudget = 32 * data.size() + (1 << 20);
    for (const QString& name : m_fs.damaged())
        warn(QStringLiteral("%1 : le fichier interne est hors du fichier d'aide ; il est ignoré.").arg(name));
    readSystem();
    chooseCodePage();
    readFonts();
    readPhrases();
    readTopics();
    readIndexes();
    readWindowMacros();
    readBaggage();
    if (!contentsFile.isEmpty())
        m_help.contents = parseContentsFile(contentsFile);
    nameTopics(contentsFile);
    resolveLinks();
    browseSequences();
    mapAndContents();
    noteFacts();
    if (m_warningCount > kMaxWarnings)
        m_warnings << QStringLiteral("… et %1 autres avertissements.").arg(m_warningCount - kMaxWarnings);
}

void HelpReader::readSystem()
{
    const FileSystem::Entry* entry = m_fs.find("|SYSTEM");
    if (!entry)
        refuse(QStringLiteral("|SYSTEM : fichier interne absent (ce n'est pas une aide WinHelp complète)"));
    const QByteArray s = m_fs.content(*entry);
    ByteReader r(s);
    if (r.u16() != 0x036C)
        refuse(QStringLiteral("|SYSTEM : signature incorrecte"));
    m_minor = static_cast<int>(r.u16());
    const int major = static_cast<int>(r.u16());
    const std::uint32_t generated = r.u32();
    m_flags = r.u16();
    if (!r.ok())
        refuse(QStringLiteral("|SYSTEM : en-tête tronqué"));
    m_help.file.minor = m_minor;
    m_help.file.major = major;
    m_help.file.flags = m_flags;
    m_help.file.generated = generated;
    if (m_minor == 27)
        refuse(QStringLiteral("|SYSTEM : c'est un titre Multimedia Viewer (version %1), pas une aide WinHelp").arg(m_minor));
    // WinHelp 3.0 numbers its topics and keeps no compression; 3.1 and later may pack the topic
    // blocks with LZ77, in blocks of 4 KB (flags 4) or 2 KB (flags 8).
    m_before31 = m_minor < 16;
    if (m_before31) {
        m_blockSize = 2048;
        m_decompressSize = 2048;
        m_lz77 = false;
    } else {
        m_lz77 = m_flags == 4 || m_flags == 8;
        m_blockSize = m_flags == 8 ? 2048 : 4096;
        m_decompressSize = 0x4000;
    }
    m_help.file.lz77 = m_lz77;
    m_help.file.topicBlockSize = m_blockSize;
    if (m_minor <= 16) {
        // Only the title follows the header.
        m_project.title = r.stringz();
        return;
    }
    while (!r.atEnd()) {
        const unsigned type = r.u16();
        const int size = static_cast<int>(r.u16());
        const QByteArray data = r.bytes(size);
        if (!r.ok()) {
            warn(QStringLiteral("|SYSTEM : l'enregistrement de type %1 dépasse la fin du fichier ; la suite est ignorée.").arg(type));
            break;
        }
        switch (type) {
        case 1:
            m_project.title = stringOf(data);
            break;
        case 2:
            m_project.copyright = stringOf(data);
            break;
        case 3:
            if (size >= 4)
                m_contentsOffset = ByteReader(data).u32();
            break;
        case 4:
            if (!stringOf(data).isEmpty())
                m_project.configMacros << stringOf(data);
            break;
        case 5:
            m_help.icon = data;
            m_project.icon = QStringLiteral("icone.ico");
            break;
        case 6:
            readWindow(data);
            break;
        case 8:
            m_project.citation = stringOf(data);
            break;
        case 9:
            if (size >= 10) {
                ByteReader l(data);
                m_project.lcidExtra[0] = static_cast<std::uint16_t>(l.u16());
                m_project.lcidExtra[1] = static_cast<std::uint16_t>(l.u16());
                m_project.lcid = static_cast<std::uint16_t>(ByteReader(data, 8).u16());
                m_project.hasLcid = true;
            }
            break;
        case 11:
            if (size >= 1)
                m_project.charset = static_cast<unsigned char>(data[0]);
            break;
        case 10:
            m_help.file.contentsFile = stringOf(data);
            break;
        case 12:
            if (size >= 2)
                m_defaultFontCharset = static_cast<unsigned char>(data[1]);
            break;
        default:
            break; // index separators, MediaView records: nothing to keep
        }
    }
}

void HelpReader::readWindow(const QByteArray& data)
{
    if (data.size() < 90) {
        warn(QStringLiteral("|SYSTEM : fenêtre de %1 octets au lieu de 90 ; elle est ignorée.").arg(data.size()));
        return;
    }
    ByteReader r(data);
    const unsigned flags = r.u16();
    const QByteArray type = fixedString(r, 10);
    WindowDef w;
    w.name = fixedString(r, 9);
    const QByteArray caption = fixedString(r, 51);
    const int x = r.i16(), y = r.i16(), width = r.i16(), height = r.i16();
    const unsigned maximize = r.u16();
    const std::uint32_t colour = r.u32();
    const std::uint32_t nonScrollColour = r.u32();
    if (!(flags & 0x0002) || w.name.isEmpty())
        w.name = !type.isEmpty() ? type : "fenetre" + QByteArray::number(m_project.windows.size() + 1);
    if (flags & 0x0004)
        w.caption = caption;
    w.hasX = flags & 0x0008;
    w.hasY = flags & 0x0010;
    w.hasWidth = flags & 0x0020;
    w.hasHeight = flags & 0x0040;
    w.x = x;
    w.y = y;
    w.width = width;
    w.height = height;
    if (flags & 0x0080)
        w.maximize = static_cast<int>(maximize);
    w.hasColour = flags & 0x0100;
    w.colour = colour & 0xFFFFFF;
    w.hasNonScrollColour = flags & 0x0200;
    w.nonScrollColour = nonScrollColour & 0xFFFFFF;
    w.onTop = flags & 0x0400;
    w.autoSizeHeight = flags & 0x0800;
    m_project.windows.push_back(w);
}

// The text's code page: the character set the file states, else its language's, else the one
// of its dialog font.
void HelpReader::chooseCodePage()
{
    int charset = m_project.charset;
    if (charset < 0 && m_project.hasLcid)
        charset = CodePage::charsetForLanguage(m_project.lcid);
    if (charset < 0)
        charset = m_defaultFontCharset;
    // 0 ANSI, 1 default, 2 symbol: all of them Western text here.
    m_project.textCharset = charset > 2 ? charset : 0;
    m_doc.fontCharset = m_project.textCharset;
}

void HelpReader::readFonts()
{
    const QByteArray f = m_fs.file("|FONT");
    if (f.isEmpty()) {
        m_doc.faceIndex("Arial", 3);
        return;
    }
    ByteReader r(f);
    const int faces = static_cast<int>(r.u16());
    const int descriptors = static_cast<int>(r.u16());
    const int faceOffset = static_cast<int>(r.u16());
    const int descOffset = static_cast<int>(r.u16());
    if (!r.ok() || faces < 1 || descOffset < faceOffset || descOffset > f.size()) {
        warn(QStringLiteral("|FONT : en-tête illisible ; le texte garde la police par défaut."));
        m_doc.faceIndex("Arial", 3);
        return;
    }
    // The face names, each in a slot of the same size (20 bytes in 3.1 files, 32 in 4.0 ones).
    const int slot = (descOffset - faceOffset) / faces;
    std::vector<QByteArray> names;
    for (int i = 0; i < faces; ++i) {
        ByteReader n(f, faceOffset + i * slot, qMin<qsizetype>(f.size(), faceOffset + qsizetype(i + 1) * slot));
        names.push_back(fixedString(n, slot));
    }
    // MediaView layouts (face names from offset 12 or 16) give metrics in twips and a larger
    // descriptor; 3.1 and 4.0 files have the 11-byte one.
    const bool large = faceOffset >= 12;
    m_twips = large;
    const int size = large ? 42 : 11;
    for (int i = 0; i < descriptors; ++i) {
        ByteReader d(f, descOffset + i * size, qMin<qsizetype>(f.size(), descOffset + qsizetype(i + 1) * size));
        CharFormat c;
        int face = 0;
        std::uint8_t family = 3;
        if (!large) {
            c.attrs = static_cast<std::uint8_t>(d.u8() & 0x3F);
            c.halfPoints = static_cast<int>(d.u8());
            family = static_cast<std::uint8_t>(d.u8());
            face = static_cast<int>(d.u16());
            c.red = static_cast<std::uint8_t>(d.u8());
            c.green = static_cast<std::uint8_t>(d.u8());
            c.blue = static_cast<std::uint8_t>(d.u8());
        } else {
            if (faceOffset >= 16) {
                face = d.i16();
                d.bytes(4);
            } else {
                d.u8();
                face = d.i16();
            }
            c.red = static_cast<std::uint8_t>(d.u8());
            c.green = static_cast<std::uint8_t>(d.u8());
            c.blue = static_cast<std::uint8_t>(d.u8());
            d.bytes(faceOffset >= 16 ? 3 : 8);
            const std::int32_t height = d.i32();
            d.bytes(12);
            const int weight = d.i16();
            d.bytes(2);
            const unsigned italic = d.u8(), underline = d.u8(), strike = d.u8(), doubleUnderline = d.u8(), smallCaps = d.u8();
            d.bytes(2);
            const unsigned pitchFamily = d.u8();
            c.halfPoints = static_cast<int>(std::clamp<qint64>(qAbs(qint64(height)) / 10, 2, 255));
            c.attrs = static_cast<std::uint8_t>((weight > 500 ? AttrBold : 0) | (italic ? AttrItalic : 0) | (underline ? AttrUnderline : 0)
                                                | (strike ? AttrStrike : 0) | (doubleUnderline ? AttrDoubleUnderline : 0)
                                                | (smallCaps ? AttrSmallCaps : 0));
            static const std::uint8_t families[] = {3, 2, 3, 1, 4, 5};
            family = families[qMin(5u, (pitchFamily >> 4) & 7)];
        }
        if (!d.ok()) {
            warn(QStringLiteral("|FONT : %1 polices annoncées, %2 lues.").arg(descriptors).arg(i));
            break;
        }
        if (face < 0 || face >= faces)
            face = 0;
        if (family < 1 || family > 5)
            family = 3;
        c.face = m_doc.faceIndex(names[static_cast<size_t>(face)].isEmpty() ? QByteArray("Arial") : names[static_cast<size_t>(face)], family);
        m_fonts.push_back(c);
    }
    if (m_doc.faces.empty())
        m_doc.faceIndex("Arial", 3);
}

// |CF0, |CF1 ...: the macros run when window n opens.
void HelpReader::readWindowMacros()
{
    for (const FileSystem::Entry& e : m_fs.entries()) {
        if (!e.usable || !e.name.startsWith("|CF") || e.name.size() < 4)
            continue;
        bool number = false;
        const int n = e.name.mid(3).toInt(&number);
        if (!number)
            continue;
        if (n < 0 || n >= static_cast<int>(m_project.windows.size())) {
            warn(QStringLiteral("%1 : macros d'une fenêtre que |SYSTEM ne définit pas ; elles sont ignorées.").arg(QString::fromLatin1(e.name)));
            continue;
        }
        for (const QByteArray& macro : m_fs.content(e).split('\0'))
            if (!macro.isEmpty())
                m_project.windows[static_cast<size_t>(n)].macros << macro;
    }
}

// Files the compiler stored as they were: every internal file without the '|' of the viewer's
// own files (and the pictures of 3.0 files, named bmN).
void HelpReader::readBaggage()
{
    for (const FileSystem::Entry& e : m_fs.entries()) {
        if (!e.usable || e.name.isEmpty() || e.name.startsWith('|'))
            continue;
        if (e.name.startsWith("bm") && e.name.size() > 2) {
            bool number = false;
            e.name.mid(2).toInt(&number);
            if (number)
                continue;
        }
        const QByteArray lower = e.name.toLower();
        if (lower.endsWith(".grp") || lower.endsWith(".tbl"))
            continue;
        m_project.baggage << QString::fromLatin1(e.name);
        m_help.baggage.emplace_back(e.name, m_fs.content(e));
    }
}

void HelpReader::noteFacts()
{
    HelpFileFacts& f = m_help.file;
    f.size = m_fs.size();
    for (const FileSystem::Entry& e : m_fs.entries())
        f.internalFiles << e.name;
    f.phraseCount = m_phraseStart.empty() ? 0 : static_cast<int>(m_phraseStart.size()) - 1;
    f.phrases = f.phraseCount == 0 ? HelpFileFacts::Phrases::None : m_hall ? HelpFileFacts::Phrases::Hall : HelpFileFacts::Phrases::Old;
    m_project.compress = f.lz77 || f.phrases != HelpFileFacts::Phrases::None;
}

} // namespace hlp::fileread
