#include "winhelp/reader/HlpFileReader.h"

#include "winhelp/format/HlpBytes.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <set>

namespace hlp {

namespace {

constexpr int kBlockSize = 4096;
constexpr int kBlockData = kBlockSize - 12;

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
        if (!r.ok() || used < 0 || at + 9 + used > m_data.size())
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
    if (!m_problems.isEmpty() || dirStart < 16 || dirStart + 9 + 38 > m_data.size()) {
        problem(QStringLiteral("unusable header"));
        return false;
    }
    readDirectory();
    if (!m_problems.isEmpty())
        return false;
    readSystem();
    readFonts();
    readTopics();
    checkIndexes();
    return m_problems.isEmpty();
}

bool HlpFile::readKey(const QByteArray& content, int& pos, const TreeKind& kind, QByteArray& key, std::int64_t& number) const
{
    ByteReader r(content, pos);
    if (kind.key == KeyKind::String || kind.key == KeyKind::Keyword) {
        key = r.stringz();
    } else if (kind.key == KeyKind::Signed) {
        number = r.i32();
    } else {
        number = r.u32();
    }
    pos = r.pos();
    return r.ok();
}

int HlpFile::compareKeys(const TreeKind& kind, const QByteArray& a, std::int64_t an, const QByteArray& b, std::int64_t bn) const
{
    switch (kind.key) {
    case KeyKind::String: {
        const int c = std::strcmp(a.constData(), b.constData());
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    case KeyKind::Keyword:
        return compareKeywords(a, b);
    default:
        return an < bn ? -1 : an > bn ? 1 : 0;
    }
}

std::vector<HlpFile::TreeEntry> HlpFile::checkTree(const QByteArray& name, const TreeKind& kind, std::vector<int>* leafFirst)
{
    std::vector<TreeEntry> entries;
    const QByteArray content = file(name);
    const QString label = QString::fromLatin1(name.isEmpty() ? QByteArray("directory") : name);
    ByteReader r(content);
    if (r.u16() != 0x293B) {
        problem(label + QStringLiteral(": bad B+ tree magic"));
        return entries;
    }
    r.u16();
    const int pageSize = static_cast<int>(r.u16());
    r.bytes(16);
    r.i16();
    r.i16();
    const int root = r.i16();
    r.i16();
    const int totalPages = r.i16();
    const int levels = r.i16();
    const std::int32_t total = r.i32();
    if (!r.ok() || pageSize < 64 || totalPages < 1 || levels < 1 || 38 + qsizetype(totalPages) * pageSize > content.size()
        || root < 0 || root >= totalPages) {
        problem(label + QStringLiteral(": bad B+ tree header"));
        return entries;
    }
    auto pageAt = [&](int page) { return 38 + page * pageSize; };

    std::vector<int> leavesByDescent;
    bool ok = true;
    // Returns the first key of the subtree; checks that every key lies in [low, high).
    struct Bound {
        bool set = false;
        QByteArray key;
        std::int64_t number = 0;
    };
    std::function<void(int, int, const Bound&, const Bound&, Bound&)> walk = [&](int page, int level, const Bound& low,
                                                                               const Bound& high, Bound& first) {
        if (!ok)
            return;
        if (page < 0 || page >= totalPages) {
            problem(label + QStringLiteral(": page %1 out of range").arg(page));
            ok = false;
            return;
        }
        ByteReader p(content, pageAt(page), pageAt(page) + pageSize);
        const int unused = static_cast<int>(p.u16());
        const int n = p.i16();
        const int previous = p.i16();
        if (level == 1) {
            p.i16();
            leavesByDescent.push_back(page);
            int pos = p.pos();
            for (int i = 0; i < n; ++i) {
                TreeEntry e;
                e.at = pos;
                if (!readKey(content, pos, kind, e.key, e.number)) {
                    ok = false;
                    break;
                }
                if (kind.key == KeyKind::Keyword) {
                    pos += 6;
                } else if (kind.leafExtra >= 0) {
                    pos += kind.leafExtra;
                } else {
                    ByteReader s(content, pos);
                    s.stringz();
                    pos = s.pos();
                }
                if (pos > pageAt(page) + pageSize) {
                    ok = false;
                    break;
                }
                if (i == 0) {
                    first = {true, e.key, e.number};
                }
                if ((low.set && compareKeys(kind, e.key, e.number, low.key, low.number) < 0)
                    || (high.set && compareKeys(kind, e.key, e.number, high.key, high.number) >= 0)) {
                    problem(label + QStringLiteral(": leaf key outside its index range on page %1").arg(page));
                }
                entries.push_back(e);
            }
            if (!ok)
                problem(label + QStringLiteral(": leaf page %1 unreadable").arg(page));
            else if (unused != pageAt(page) + pageSize - pos)
                problem(label + QStringLiteral(": leaf page %1 says %2 bytes unused, %3 are").arg(page).arg(unused).arg(pageAt(page) + pageSize - pos));
            return;
        }
        // Index page.
        std::vector<int> children{previous};
        std::vector<Bound> keys;
        int pos = p.pos();
        for (int i = 0; i < n; ++i) {
            Bound k{true, {}, 0};
            if (!readKey(content, pos, kind, k.key, k.number)) {
                ok = false;
                break;
            }
            ByteReader c(content, pos);
            children.push_back(c.i16());
            pos = c.pos();
            if (!keys.empty() && compareKeys(kind, keys.back().key, keys.back().number, k.key, k.number) >= 0)
                problem(label + QStringLiteral(": index page %1 not sorted").arg(page));
            keys.push_back(k);
        }
        if (!ok || unused != pageAt(page) + pageSize - pos) {
            problem(label + QStringLiteral(": index page %1 unreadable").arg(page));
            ok = false;
            return;
        }
        for (size_t i = 0; i < children.size(); ++i) {
            const Bound& lo = i == 0 ? low : keys[i - 1];
            const Bound& hi = i < keys.size() ? keys[i] : high;
            Bound childFirst;
            walk(children[i], level - 1, lo, hi, childFirst);
            if (i == 0)
                first = childFirst;
            else if (!childFirst.set || compareKeys(kind, childFirst.key, childFirst.number, keys[i - 1].key, keys[i - 1].number) != 0)
                problem(label + QStringLiteral(": index key on page %1 is not the first key of its child").arg(page));
        }
    };
    Bound none, first;
    walk(root, levels, none, none, first);
    if (!ok)
        return {};

    // The leaf chain must list the same pages in the same order.
    int page = leavesByDescent.empty() ? -1 : leavesByDescent.front();
    int previous = -1;
    std::vector<int> chain;
    while (page != -1 && chain.size() <= static_cast<size_t>(totalPages)) {
        ByteReader p(content, pageAt(page) + 4);
        const int back = p.i16();
        const int next = p.i16();
        if (back != previous)
            problem(label + QStringLiteral(": leaf %1 points back to %2, not %3").arg(page).arg(back).arg(previous));
        chain.push_back(page);
        previous = page;
        page = next;
    }
    if (chain != leavesByDescent)
        problem(label + QStringLiteral(": leaf chain differs from the tree"));
    for (size_t i = 1; i < entries.size(); ++i) {
        if (compareKeys(kind, entries[i - 1].key, entries[i - 1].number, entries[i].key, entries[i].number) >= 0)
            problem(label + QStringLiteral(": entries not sorted at %1").arg(i));
    }
    if (static_cast<std::int32_t>(entries.size()) != total)
        problem(label + QStringLiteral(": %1 entries, header says %2").arg(entries.size()).arg(total));
    if (leafFirst) {
        leafFirst->clear();
        size_t index = 0;
        for (const int leaf : leavesByDescent) {
            leafFirst->push_back(static_cast<int>(index));
            ByteReader p(content, pageAt(leaf) + 2);
            index += static_cast<size_t>(p.i16());
        }
    }
    return entries;
}

const std::uint8_t* HlpFile::searchTree(const QByteArray& content, const TreeKind& kind, const QByteArray& key, std::int64_t number) const
{
    ByteReader r(content, 4);
    const int pageSize = static_cast<int>(r.u16());
    r.seek(26);
    int page = r.i16();
    r.seek(32);
    int level = r.i16();
    while (--level > 0) {
        ByteReader p(content, 38 + page * pageSize);
        p.u16();
        const int n = p.i16();
        int child = p.i16();
        int pos = p.pos();
        for (int i = 0; i < n; ++i) {
            QByteArray k;
            std::int64_t kn = 0;
            if (!readKey(content, pos, kind, k, kn))
                return nullptr;
            ByteReader c(content, pos);
            const int next = c.i16();
            pos = c.pos();
            if (compareKeys(kind, k, kn, key, number) > 0)
                break;
            child = next;
        }
        page = child;
    }
    ByteReader p(content, 38 + page * pageSize + 2);
    const int n = p.i16();
    int pos = 38 + page * pageSize + 8;
    for (int i = 0; i < n; ++i) {
        const int at = pos;
        QByteArray k;
        std::int64_t kn = 0;
        if (!readKey(content, pos, kind, k, kn))
            return nullptr;
        const int c = compareKeys(kind, k, kn, key, number);
        if (c == 0)
            return reinterpret_cast<const std::uint8_t*>(content.constData()) + at;
        if (c > 0)
            return nullptr;
        if (kind.key == KeyKind::Keyword)
            pos += 6;
        else if (kind.leafExtra >= 0)
            pos += kind.leafExtra;
        else {
            ByteReader s(content, pos);
            s.stringz();
            pos = s.pos();
        }
    }
    return nullptr;
}

void HlpFile::readDirectory()
{
    ByteReader h(m_data, 4);
    const std::int32_t dirStart = h.i32();
    ByteReader fh(m_data, dirStart);
    const std::int32_t reserved = fh.i32();
    const std::int32_t used = fh.i32();
    fh.u8();
    if (reserved != used + 9 || dirStart + 9 + used > m_data.size()) {
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
        if (!f.ok() || at < 16 || res != use + 9 || at + 9 + qsizetype(use) > m_data.size()) {
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
            w.u16();
            win.colour = w.u32();
            win.nonScrollColour = w.u32();
            m_system.windows.push_back(win);
            break;
        }
        case 9:
            if (size != 10)
                problem(QStringLiteral("|SYSTEM: LCID record of %1 bytes").arg(size));
            else
                m_system.lcid = ByteReader(data, 8).u16();
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

void HlpFile::readTopics()
{
    const QByteArray t = file("|TOPIC");
    if (t.isEmpty()) {
        problem(QStringLiteral("no |TOPIC"));
        return;
    }
    const int blocks = static_cast<int>((t.size() + kBlockSize - 1) / kBlockSize);
    QByteArray flat;
    for (int b = 0; b < blocks; ++b)
        flat.append(t.mid(qsizetype(b) * kBlockSize + 12, kBlockData));
    auto flatAt = [](std::int32_t pos) { return qsizetype((pos - 12) >> 14) * kBlockData + ((pos - 12) & 0x3FFF); };

    struct Seen {
        std::int32_t pos;
        std::uint8_t type;
    };
    std::vector<Seen> links;
    std::int32_t pos = 12, previous = -1;
    int countBlock = -1;
    std::uint32_t count = 0;
    Topic* current = nullptr;
    std::vector<Topic> all;
    std::vector<std::int32_t> nextTopicField;
    std::vector<std::pair<std::int32_t, std::int32_t>> scrollFields; // nonScroll, scroll per topic
    std::vector<std::vector<std::int32_t>> topicRecords;
    std::set<int> pictures;
    for (const auto& [name, at] : m_files) {
        (void)at;
        if (name.startsWith("|bm"))
            pictures.insert(name.mid(3).toInt());
    }
    while (pos != -1) {
        if (links.size() > 10000000 || pos < 12) {
            problem(QStringLiteral("|TOPIC: link chain broken at %1").arg(hex(pos)));
            return;
        }
        const int block = (pos - 12) >> 14;
        const int inBlock = (pos - 12) & 0x3FFF;
        const qsizetype at = flatAt(pos);
        if (block >= blocks || inBlock + 21 > kBlockData || at + 21 > flat.size()) {
            problem(QStringLiteral("|TOPIC: link at %1 outside the blocks").arg(hex(pos)));
            return;
        }
        ByteReader h(flat, static_cast<int>(at));
        const std::int32_t blockSize = h.i32();
        const std::int32_t dataLen2 = h.i32();
        const std::int32_t prev = h.i32();
        const std::int32_t next = h.i32();
        const std::int32_t dataLen1 = h.i32();
        const unsigned type = h.u8();
        if (prev != previous)
            problem(QStringLiteral("|TOPIC: link %1 has PrevBlock %2, expected %3").arg(hex(pos), hex(prev), hex(previous)));
        if (dataLen1 < 21 || blockSize < dataLen1 || at + blockSize > flat.size() || inBlock + dataLen1 > kBlockData) {
            problem(QStringLiteral("|TOPIC: link %1 has bad sizes").arg(hex(pos)));
            return;
        }
        if (dataLen2 != blockSize - dataLen1)
            problem(QStringLiteral("|TOPIC: link %1: DataLen2 %2 but %3 bytes stored").arg(hex(pos)).arg(dataLen2).arg(blockSize - dataLen1));
        const QByteArray ld1 = flat.mid(at + 21, dataLen1 - 21);
        const QByteArray ld2 = flat.mid(at + dataLen1, blockSize - dataLen1);
        if (block != countBlock) {
            countBlock = block;
            count = 0;
        }
        links.push_back({pos, static_cast<std::uint8_t>(type)});
        if (type == 0x02) {
            if (ld1.size() != 28) {
                problem(QStringLiteral("|TOPIC: topic header %1 of %2 bytes").arg(hex(pos)).arg(ld1.size()));
                return;
            }
            ByteReader th(ld1);
            th.i32();
            Topic topic;
            topic.pos = pos;
            topic.offset = static_cast<std::uint32_t>(block) * 0x8000u + count;
            topic.browseBack = th.i32();
            topic.browseFor = th.i32();
            topic.number = th.i32();
            const std::int32_t nonScroll = th.i32();
            const std::int32_t scroll = th.i32();
            nextTopicField.push_back(th.i32());
            scrollFields.push_back({nonScroll, scroll});
            const QList<QByteArray> parts = ld2.split('\0');
            topic.title = parts.value(0);
            for (int i = 1; i < parts.size(); ++i)
                topic.macros << parts[i];
            if (topic.number != static_cast<int>(all.size()))
                problem(QStringLiteral("|TOPIC: topic %1 numbered %2").arg(all.size()).arg(topic.number));
            all.push_back(topic);
            topicRecords.emplace_back();
            current = &all.back();
        } else if (type == 0x20) {
            if (!current) {
                problem(QStringLiteral("|TOPIC: text before the first topic header"));
                return;
            }
            topicRecords.back().push_back(pos);
            ByteReader p(ld1);
            const std::int32_t topicSize = p.cslong();
            const unsigned topicLength = p.cushort();
            if (topicSize != ld1.size() - p.pos())
                problem(QStringLiteral("|TOPIC: record %1: TopicSize %2, %3 bytes follow").arg(hex(pos)).arg(topicSize).arg(ld1.size() - p.pos()));
            if (static_cast<std::int32_t>(topicLength) != dataLen2)
                problem(QStringLiteral("|TOPIC: record %1: TopicLength %2, DataLen2 %3").arg(hex(pos)).arg(topicLength).arg(dataLen2));
            count += topicLength;
            Paragraph para;
            p.u8();
            p.u8();
            p.u16();
            para.bits = p.u16();
            for (unsigned bit = 0x0002; bit <= 0x0040; bit <<= 1)
                if (para.bits & bit)
                    p.csshort();
            if (para.bits & 0x0100) {
                para.border = static_cast<std::uint8_t>(p.u8());
                p.i16();
            }
            if (para.bits & 0x0200) {
                const int tabs = p.csshort();
                for (int i = 0; i < tabs; ++i)
                    if (p.cushort() & 0x4000)
                        p.cushort();
            }
            // Strings and commands alternate.
            int text = 0;
            Link* open = nullptr;
            bool ended = false;
            while (!ended) {
                const int nul = static_cast<int>(ld2.indexOf('\0', text));
                if (nul < 0) {
                    problem(QStringLiteral("|TOPIC: record %1: fewer strings than commands").arg(hex(pos)));
                    break;
                }
                const QByteArray s = ld2.mid(text, nul - text);
                para.text += s;
                if (open)
                    open->text += s;
                text = nul + 1;
                const unsigned c = p.u8();
                if (!p.ok()) {
                    problem(QStringLiteral("|TOPIC: record %1: commands end without 0xFF").arg(hex(pos)));
                    break;
                }
                switch (c) {
                case 0x80: {
                    const int font = static_cast<int>(p.u16());
                    if (font >= static_cast<int>(m_fonts.size()))
                        problem(QStringLiteral("|TOPIC: record %1 uses font %2 of %3").arg(hex(pos)).arg(font).arg(m_fonts.size()));
                    para.fonts << font;
                    break;
                }
                case 0x81:
                    para.text += '\n';
                    break;
                case 0x82:
                    break;
                case 0x83:
                    para.text += '\t';
                    break;
                case 0x8B:
                    para.text += ' ';
                    break;
                case 0x86:
                case 0x87:
                case 0x88: {
                    const unsigned kind = p.u8();
                    const std::int32_t size = p.cslong();
                    const int start = p.pos();
                    if (kind == 3) {
                        const int where = p.i16();
                        const int n = p.i16();
                        if (where != 0 || !pictures.count(n))
                            problem(QStringLiteral("|TOPIC: record %1 shows missing picture |bm%2").arg(hex(pos)).arg(n));
                        para.pictures << n;
                        para.pictureCommands << static_cast<std::uint8_t>(c);
                    }
                    p.seek(start + size);
                    break;
                }
                case 0x89:
                    if (!open)
                        problem(QStringLiteral("|TOPIC: record %1 ends a hot spot that was not opened").arg(hex(pos)));
                    open = nullptr;
                    break;
                case 0xC8:
                case 0xCC: {
                    const int len = static_cast<int>(p.u16());
                    Link l;
                    l.command = static_cast<std::uint8_t>(c);
                    l.macro = p.bytes(len);
                    l.macro = l.macro.left(static_cast<int>(l.macro.indexOf('\0')));
                    current->links.push_back(l);
                    open = &current->links.back();
                    break;
                }
                case 0xE2:
                case 0xE3:
                case 0xE6:
                case 0xE7: {
                    Link l;
                    l.command = static_cast<std::uint8_t>(c);
                    l.hash = p.i32();
                    current->links.push_back(l);
                    open = &current->links.back();
                    break;
                }
                case 0xEA:
                case 0xEB:
                case 0xEE:
                case 0xEF: {
                    const int len = static_cast<int>(p.u16());
                    const int start = p.pos();
                    Link l;
                    l.command = static_cast<std::uint8_t>(c);
                    p.u8();
                    l.hash = p.i32();
                    p.seek(start + len);
                    current->links.push_back(l);
                    open = &current->links.back();
                    break;
                }
                case 0xFF:
                    ended = true;
                    break;
                default:
                    problem(QStringLiteral("|TOPIC: record %1: unknown command %2").arg(hex(pos), hex(c)));
                    ended = true;
                    break;
                }
            }
            if (open)
                problem(QStringLiteral("|TOPIC: record %1 leaves a hot spot open").arg(hex(pos)));
            if (text != ld2.size())
                problem(QStringLiteral("|TOPIC: record %1: %2 bytes of text left over").arg(hex(pos)).arg(ld2.size() - text));
            if (p.pos() != ld1.size())
                problem(QStringLiteral("|TOPIC: record %1: bytes after 0xFF").arg(hex(pos)));
            current->paragraphs.push_back(para);
        } else {
            problem(QStringLiteral("|TOPIC: record %1 of type %2").arg(hex(pos), hex(type)));
        }
        previous = pos;
        pos = next;
    }

    // Block headers.
    for (int b = 0; b < blocks; ++b) {
        ByteReader h(t, b * kBlockSize);
        const std::int32_t lastLink = h.i32();
        const std::int32_t firstLink = h.i32();
        const std::int32_t lastHeader = h.i32();
        std::int32_t wantFirst = -1, wantLast = -1, wantHeader = 0;
        for (const Seen& s : links) {
            const int sb = (s.pos - 12) >> 14;
            if (sb < b) {
                wantLast = s.pos;
                if (s.type == 0x02)
                    wantHeader = s.pos;
            } else if (sb == b && wantFirst < 0) {
                wantFirst = s.pos;
            }
        }
        if (lastLink != wantLast || firstLink != wantFirst || lastHeader != wantHeader)
            problem(QStringLiteral("|TOPIC: block %1 header (%2, %3, %4), expected (%5, %6, %7)")
                        .arg(b)
                        .arg(hex(lastLink), hex(firstLink), hex(lastHeader), hex(wantLast), hex(wantFirst), hex(wantHeader)));
    }

    // Topic headers against what follows them.
    if (all.empty() || links.back().type != 0x02 || !all.back().title.isEmpty() || !topicRecords.back().empty()) {
        problem(QStringLiteral("|TOPIC: the chain does not end with an empty topic header"));
        return;
    }
    for (size_t i = 0; i < all.size(); ++i) {
        const std::int32_t wantNext = i + 1 < all.size() ? all[i + 1].pos : -1;
        if (nextTopicField[i] != wantNext)
            problem(QStringLiteral("|TOPIC: topic %1 NextTopic %2, expected %3").arg(i).arg(hex(nextTopicField[i]), hex(wantNext)));
        const auto [nonScroll, scroll] = scrollFields[i];
        const std::vector<std::int32_t>& records = topicRecords[i];
        if (nonScroll != -1 && (records.empty() || records.front() != nonScroll))
            problem(QStringLiteral("|TOPIC: topic %1 NonScroll does not point at its first record").arg(i));
        if (scroll != -1 && std::find(records.begin(), records.end(), scroll) == records.end())
            problem(QStringLiteral("|TOPIC: topic %1 Scroll does not point at one of its records").arg(i));
        if (i + 1 < all.size() && nonScroll == -1 && scroll == -1)
            problem(QStringLiteral("|TOPIC: topic %1 has no region").arg(i));
        const bool hasNonScroll = nonScroll != -1;
        for (size_t k = 0; k < records.size(); ++k) {
            const bool inNonScroll = hasNonScroll && (scroll == -1 || records[k] < scroll);
            all[i].paragraphs[k].nonScroll = inNonScroll;
        }
        m_allHeaderOffsets.push_back(all[i].offset);
        if (i > 0 && all[i].offset <= all[i - 1].offset)
            problem(QStringLiteral("|TOPIC: topics %1 and %2 share offset %3").arg(i - 1).arg(i).arg(hex(all[i].offset)));
    }
    all.pop_back();
    m_topics = std::move(all);
    for (const Topic& topic : m_topics) {
        for (const std::int32_t target : {topic.browseBack, topic.browseFor}) {
            if (target != -1 && !topicAt(static_cast<std::uint32_t>(target)))
                problem(QStringLiteral("|TOPIC: topic %1 browses to %2, no topic there").arg(topic.number).arg(hex(target)));
        }
        if (topic.browseFor != -1) {
            const Topic* next = topicAt(static_cast<std::uint32_t>(topic.browseFor));
            if (next && next->browseBack != static_cast<std::int32_t>(topic.offset))
                problem(QStringLiteral("|TOPIC: browse sequence not symmetric at topic %1").arg(topic.number));
        }
    }
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

    for (const auto& [name, at] : m_files) {
        (void)at;
        if (!name.startsWith("|bm"))
            continue;
        const QByteArray bm = file(name);
        ByteReader r(bm);
        const unsigned magic = r.u16();
        const int count = static_cast<int>(r.u16());
        const std::uint32_t offset = r.u32();
        if ((magic != 0x506C && magic != 0x706C) || count < 1 || offset >= static_cast<std::uint32_t>(bm.size())) {
            problem(QString::fromLatin1(name) + QStringLiteral(": bad picture header"));
            continue;
        }
        ByteReader p(bm, static_cast<int>(offset));
        const unsigned type = p.u8();
        p.u8();
        p.culong();
        p.culong();
        p.cushort();
        p.cushort();
        p.culong();
        p.culong();
        p.culong();
        p.culong();
        const std::uint32_t size = p.culong();
        p.culong();
        const std::uint32_t dataAt = p.u32();
        if (type != 6 || !p.ok() || offset + dataAt + size > static_cast<std::uint32_t>(bm.size()))
            problem(QString::fromLatin1(name) + QStringLiteral(": picture data outside the file"));
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
    h.seek(32);
    int level = h.i16();
    while (--level > 0)
        page = ByteReader(content, 38 + page * pageSize + 4).i16();
    while (page != -1) {
        ByteReader p(content, 38 + page * pageSize + 2);
        const int n = p.i16();
        p.i16();
        const int next = p.i16();
        for (int i = 0; i < n; ++i) {
            out << p.stringz();
            p.u16();
            p.u32();
        }
        page = next;
    }
    return out;
}

} // namespace hlp
