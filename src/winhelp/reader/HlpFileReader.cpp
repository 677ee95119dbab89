#include "winhelp/reader/HlpFileReader.h"

#include "winhelp/format/HlpBytes.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <set>

namespace hlp {

namespace {


QString hex(std::int64_t v)
{
    return QStringLiteral("0x") + QString::number(static_cast<qulonglong>(v) & 0xFFFFFFFFull, 16);
}

} // namespace

QList<QByteArray> HlpFile::fileNames() const
{
    QList<QByteArray> names;
    for (const auto& f : m_files)
        names << f.first;
    return names;
}

bool HlpFile::hasFile(const QByteArray& name) const
{
    for (const auto& f : m_files)
        if (f.first == name)
            return true;
    return false;
}

QByteArray HlpFile::file(const QByteArray& name) const
{
    for (const auto& [n, at] : m_files) {
        if (n != name)
            continue;
        ByteReader r(m_data, at);
        r.i32();
        const std::int32_t used = r.i32();
        if (!r.ok() || used < 0 || qint64(at) + 9 + used > m_data.size())
            return {};
        return m_data.mid(at + 9, used);
    }
    return {};
}

bool HlpFile::load(const QByteArray& data)
{
    m_data = data;
    m_problems.clear();
    m_files.clear();
    m_topics.clear();
    m_fonts.clear();
    m_system = System{};
    ByteReader h(m_data);
    if (h.u32() != 0x00035F3F)
        problem(QStringLiteral("bad magic"));
    const std::int32_t dirStart = h.i32();
    const std::int32_t freeBlock = h.i32();
    const std::uint32_t size = h.u32();
    if (!h.ok() || size != static_cast<std::uint32_t>(m_data.size()))
        problem(QStringLiteral("EntireFileSize %1 but the file has %2 bytes").arg(size).arg(m_data.size()));
    if (freeBlock != -1)
        problem(QStringLiteral("FirstFreeBlock is not -1"));
    if (!m_problems.isEmpty() || dirStart < 16 || qint64(dirStart) + 9 + 38 > m_data.size()) {
        problem(QStringLiteral("unusable header"));
        return false;
    }
    readDirectory();
    if (!m_problems.isEmpty())
        return false;
    readSystem();
    readFonts();
    readPictures();
    readTopics();
    checkIndexes();
    return m_problems.isEmpty();
}

void HlpFile::readDirectory()
{
    ByteReader h(m_data, 4);
    const std::int32_t dirStart = h.i32();
    ByteReader fh(m_data, dirStart);
    const std::int32_t reserved = fh.i32();
    const std::int32_t used = fh.i32();
    fh.u8();
    if (qint64(reserved) != qint64(used) + 9 || used < 0 || qint64(dirStart) + 9 + used > m_data.size()) {
        problem(QStringLiteral("directory: bad file header"));
        return;
    }
    // Read the directory as an internal file of its own.
    m_files.push_back({QByteArray(), dirStart});
    const QByteArray content = m_data.mid(dirStart + 9, used);
    // checkTree reads through file(name): the directory goes by the empty name meanwhile.
    const std::vector<TreeEntry> dir = checkTree(QByteArray(), {KeyKind::String, 4});
    m_files.clear();
    ByteReader flag(m_data, dirStart + 8);
    if (flag.u8() != 4)
        problem(QStringLiteral("directory: file flags are not 4"));
    for (const TreeEntry& e : dir) {
        ByteReader o(content, e.at + static_cast<int>(e.key.size()) + 1);
        const std::int32_t at = o.i32();
        ByteReader f(m_data, at);
        const std::int32_t res = f.i32();
        const std::int32_t use = f.i32();
        if (!f.ok() || at < 16 || use < 0 || qint64(res) != qint64(use) + 9 || qint64(at) + 9 + use > m_data.size()) {
            problem(QStringLiteral("%1: bad file header at %2").arg(QString::fromLatin1(e.key)).arg(at));
            continue;
        }
        m_files.push_back({e.key, at});
    }
}

void HlpFile::readSystem()
{
    const QByteArray s = file("|SYSTEM");
    ByteReader r(s);
    if (r.u16() != 0x036C) {
        problem(QStringLiteral("|SYSTEM: bad magic"));
        return;
    }
    m_system.minor = r.u16();
    m_system.major = r.u16();
    r.u32();
    m_system.flags = r.u16();
    while (r.ok() && !r.atEnd()) {
        const unsigned type = r.u16();
        const int size = static_cast<int>(r.u16());
        const QByteArray data = r.bytes(size);
        if (!r.ok()) {
            problem(QStringLiteral("|SYSTEM: record %1 runs past the end").arg(type));
            return;
        }
        auto str = [&data]() { return data.left(static_cast<int>(data.indexOf('\0'))); };
        switch (type) {
        case 1:
            m_system.title = str();
            break;
        case 2:
            m_system.copyright = str();
            break;
        case 3:
            if (size != 4)
                problem(QStringLiteral("|SYSTEM: CONTENTS record of %1 bytes").arg(size));
            else
                m_system.contents = ByteReader(data).u32();
            break;
        case 4:
            m_system.macros << str();
            break;
        case 5:
            m_system.icon = data;
            break;
        case 6: {
            if (size != 90) {
                problem(QStringLiteral("|SYSTEM: window record of %1 bytes").arg(size));
                break;
            }
            ByteReader w(data);
            Window win;
            win.flags = w.u16();
            auto fixed = [&w](int n) {
                QByteArray b = w.bytes(n);
                return b.left(static_cast<int>(b.indexOf('\0')));
            };
            win.type = fixed(10);
            win.name = fixed(9);
            win.caption = fixed(51);
            win.x = w.i16();
            win.y = w.i16();
            win.width = w.i16();
            win.height = w.i16();
            win.maximize = w.u16();
            win.colour = w.u32();
            win.nonScrollColour = w.u32();
            m_system.windows.push_back(win);
            break;
        }
        case 9:
            if (size != 10) {
                problem(QStringLiteral("|SYSTEM: LCID record of %1 bytes").arg(size));
            } else {
                ByteReader l(data);
                m_system.lcidExtra[0] = l.u16();
                m_system.lcidExtra[1] = l.u16();
                m_system.lcid = ByteReader(data, 8).u16();
            }
            break;
        case 11:
            if (size < 1)
                problem(QStringLiteral("|SYSTEM: empty CHARSET record"));
            else
                m_system.charset = static_cast<unsigned char>(data[0]);
            break;
        default:
            break;
        }
    }
}

void HlpFile::readFonts()
{
    const QByteArray f = file("|FONT");
    ByteReader r(f);
    const int faces = static_cast<int>(r.u16());
    const int descriptors = static_cast<int>(r.u16());
    const int faceOffset = static_cast<int>(r.u16());
    const int descOffset = static_cast<int>(r.u16());
    if (!r.ok() || faces < 1 || faceOffset != 8 || descOffset < faceOffset
        || descOffset + descriptors * 11 > f.size()) {
        problem(QStringLiteral("|FONT: bad header"));
        return;
    }
    const int slot = (descOffset - faceOffset) / faces;
    for (int i = 0; i < descriptors; ++i) {
        ByteReader d(f, descOffset + i * 11);
        Font font;
        font.attrs = static_cast<std::uint8_t>(d.u8());
        font.halfPoints = static_cast<std::uint8_t>(d.u8());
        font.family = static_cast<std::uint8_t>(d.u8());
        const int face = static_cast<int>(d.u16());
        font.red = static_cast<std::uint8_t>(d.u8());
        font.green = static_cast<std::uint8_t>(d.u8());
        font.blue = static_cast<std::uint8_t>(d.u8());
        if (face >= faces) {
            problem(QStringLiteral("|FONT: descriptor %1 names face %2 of %3").arg(i).arg(face).arg(faces));
            continue;
        }
        const QByteArray name = f.mid(faceOffset + face * slot, slot);
        font.face = name.left(static_cast<int>(name.indexOf('\0')));
        m_fonts.push_back(font);
    }
}

// Every |bmN picture: its header, its data once unpacked, its hot spots.
void HlpFile::readPictures()
{
    for (const auto& [name, at] : m_files) {
        (void)at;
        if (!name.startsWith("|bm"))
            continue;
        HelpPictureInfo info;
        QString why;
        if (!readHelpPicture(file(name), info, nullptr, &why))
            problem(QString::fromLatin1(name) + QStringLiteral(": ") + why);
        else
            m_pictures.emplace_back(name.mid(3).toInt(), info);
    }
}

const HelpPictureInfo* HlpFile::picture(int n) const
{
    for (const auto& [number, info] : m_pictures)
        if (number == n)
            return &info;
    return nullptr;
}

const HlpFile::Topic* HlpFile::topicAt(std::uint32_t offset) const
{
    const auto it = std::lower_bound(m_topics.begin(), m_topics.end(), offset,
                                     [](const Topic& t, std::uint32_t o) { return t.offset < o; });
    return it != m_topics.end() && it->offset == offset ? &*it : nullptr;
}

void HlpFile::checkIndexes()
{
    auto isHeader = [this](std::uint32_t offset) {
        return std::binary_search(m_allHeaderOffsets.begin(), m_allHeaderOffsets.end(), offset);
    };
    if (m_system.contents && !isHeader(*m_system.contents))
        problem(QStringLiteral("|SYSTEM: CONTENTS points at no topic"));

    const QByteArray context = file("|CONTEXT");
    for (const TreeEntry& e : checkTree("|CONTEXT", {KeyKind::Signed, 4})) {
        const std::uint32_t offset = ByteReader(context, e.at + 4).u32();
        if (!isHeader(offset))
            problem(QStringLiteral("|CONTEXT: hash %1 points at %2, no topic there").arg(hex(e.number), hex(offset)));
    }

    const QByteArray titles = file("|TTLBTREE");
    for (const TreeEntry& e : checkTree("|TTLBTREE", {KeyKind::Unsigned, -1})) {
        const std::uint32_t offset = static_cast<std::uint32_t>(e.number);
        ByteReader r(titles, e.at + 4);
        const QByteArray title = r.stringz();
        const Topic* topic = topicAt(offset);
        if (!isHeader(offset))
            problem(QStringLiteral("|TTLBTREE: %1 is no topic").arg(hex(offset)));
        else if (topic && topic->title != title)
            problem(QStringLiteral("|TTLBTREE: title of %1 differs from its topic header").arg(hex(offset)));
    }

    if (hasFile("|KWBTREE")) {
        const QByteArray kw = file("|KWBTREE");
        const QByteArray data = file("|KWDATA");
        std::vector<int> leafFirst;
        const std::vector<TreeEntry> entries = checkTree("|KWBTREE", {KeyKind::Keyword, 6}, &leafFirst);
        for (size_t i = 0; i + 1 < entries.size(); ++i)
            if (compareKeywords(entries[i].key, entries[i + 1].key) == 0)
                problem(QStringLiteral("|KWBTREE: keyword %1 twice").arg(QString::fromLatin1(entries[i].key)));
        for (const TreeEntry& e : entries) {
            ByteReader r(kw, e.at + static_cast<int>(e.key.size()) + 1);
            const int n = static_cast<int>(r.u16());
            const std::uint32_t at = r.u32();
            if (n < 1 || qsizetype(at) + 4 * n > data.size()) {
                problem(QStringLiteral("|KWBTREE: keyword %1 points outside |KWDATA").arg(QString::fromLatin1(e.key)));
                continue;
            }
            for (int k = 0; k < n; ++k)
                if (!isHeader(ByteReader(data, static_cast<int>(at) + 4 * k).u32()))
                    problem(QStringLiteral("|KWDATA: keyword %1 points at no topic").arg(QString::fromLatin1(e.key)));
        }
        const QByteArray map = file("|KWMAP");
        ByteReader m(map);
        const int n = static_cast<int>(m.u16());
        if (n != static_cast<int>(leafFirst.size()) || map.size() != 2 + 6 * n) {
            problem(QStringLiteral("|KWMAP: %1 entries for %2 leaf pages").arg(n).arg(leafFirst.size()));
        } else {
            for (int i = 0; i < n; ++i) {
                const std::uint32_t first = m.u32();
                m.u16();
                if (static_cast<int>(first) != leafFirst[static_cast<size_t>(i)])
                    problem(QStringLiteral("|KWMAP: page %1 starts at keyword %2, not %3").arg(i).arg(leafFirst[static_cast<size_t>(i)]).arg(first));
            }
        }
    } else if (hasFile("|KWDATA") || hasFile("|KWMAP")) {
        problem(QStringLiteral("|KWDATA or |KWMAP without |KWBTREE"));
    }

    const QByteArray ctxomap = file("|CTXOMAP");
    ByteReader c(ctxomap);
    const int n = static_cast<int>(c.u16());
    if (!c.ok() || ctxomap.size() != 2 + 8 * n) {
        problem(QStringLiteral("|CTXOMAP: bad size"));
    } else {
        std::int64_t last = -1;
        for (int i = 0; i < n; ++i) {
            const std::uint32_t number = c.u32();
            const std::uint32_t offset = c.u32();
            if (static_cast<std::int64_t>(number) <= last)
                problem(QStringLiteral("|CTXOMAP: numbers not ascending"));
            last = number;
            if (!isHeader(offset))
                problem(QStringLiteral("|CTXOMAP: number %1 points at no topic").arg(number));
        }
    }
}

std::optional<std::uint32_t> HlpFile::contextOffset(const QByteArray& context) const
{
    const QByteArray content = file("|CONTEXT");
    const std::uint8_t* e = searchTree(content, {KeyKind::Signed, 4}, {}, contextHash(context));
    if (!e)
        return std::nullopt;
    return ByteReader(content, static_cast<int>(e - reinterpret_cast<const std::uint8_t*>(content.constData())) + 4).u32();
}

QList<std::uint32_t> HlpFile::keywordOffsets(const QByteArray& keyword) const
{
    const QByteArray content = file("|KWBTREE");
    if (content.isEmpty())
        return {};
    const std::uint8_t* e = searchTree(content, {KeyKind::Keyword, 6}, keyword, 0);
    if (!e)
        return {};
    const int at = static_cast<int>(e - reinterpret_cast<const std::uint8_t*>(content.constData()));
    ByteReader r(content, at);
    r.stringz();
    const int n = static_cast<int>(r.u16());
    const std::uint32_t where = r.u32();
    const QByteArray data = file("|KWDATA");
    QList<std::uint32_t> out;
    if (qint64(where) + 4 * qint64(n) > data.size())
        return out;
    for (int i = 0; i < n; ++i)
        out << ByteReader(data, static_cast<int>(where) + 4 * i).u32();
    return out;
}

std::optional<std::uint32_t> HlpFile::mapOffset(std::uint32_t number) const
{
    const QByteArray m = file("|CTXOMAP");
    ByteReader r(m);
    const int n = static_cast<int>(r.u16());
    for (int i = 0; i < n && r.ok(); ++i) {
        const std::uint32_t num = r.u32();
        const std::uint32_t offset = r.u32();
        if (num == number)
            return offset;
    }
    return std::nullopt;
}

QByteArray HlpFile::titleAt(std::uint32_t offset) const
{
    const QByteArray content = file("|TTLBTREE");
    const std::uint8_t* e = searchTree(content, {KeyKind::Unsigned, -1}, {}, offset);
    if (!e)
        return {};
    ByteReader r(content, static_cast<int>(e - reinterpret_cast<const std::uint8_t*>(content.constData())) + 4);
    return r.stringz();
}

QList<QByteArray> HlpFile::keywords() const
{
    QList<QByteArray> out;
    const QByteArray content = file("|KWBTREE");
    if (content.isEmpty())
        return out;
    ByteReader h(content, 4);
    const int pageSize = static_cast<int>(h.u16());
    h.seek(26);
    int page = h.i16();
    h.seek(30);
    const int totalPages = h.i16();
    int level = h.i16();
    if (!h.ok() || level > totalPages)
        return out;
    while (--level > 0)
        page = ByteReader(content, 38 + page * pageSize + 4).i16();
    // At most one visit per page: a chain that loops ends there.
    for (int visits = 0; page != -1 && visits < totalPages; ++visits) {
        ByteReader p(content, 38 + page * pageSize + 2);
        const int n = p.i16();
        p.i16();
        const int next = p.i16();
        for (int i = 0; i < n && p.ok(); ++i) {
            out << p.stringz();
            p.u16();
            p.u32();
        }
        page = next;
    }
    return out;
}

} // namespace hlp
