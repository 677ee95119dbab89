// The .hlp reader's B+ tree checks and lookups: every tree is walked from its root, its keys
// checked against the index pages above them, its leaf chain against the walk.
#include "winhelp/reader/HlpFileReader.h"

#include "winhelp/format/HlpBytes.h"

#include <cstring>
#include <functional>

namespace hlp {

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
    if (!r.ok() || pageSize < 64 || totalPages < 1 || levels < 1 || levels > totalPages
        || 38 + qsizetype(totalPages) * pageSize > content.size() || root < 0 || root >= totalPages) {
        problem(label + QStringLiteral(": bad B+ tree header"));
        return entries;
    }
    auto pageAt = [&](int page) { return 38 + page * pageSize; };

    std::vector<int> leavesByDescent;
    bool ok = true;
    // A page reached twice means a loop (or a shared child): walking on would never end, or end
    // after a number of steps that grows with the powers of the page count.
    std::vector<bool> visited(static_cast<size_t>(totalPages), false);
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
        if (page < 0 || page >= totalPages || level < 1) {
            problem(label + QStringLiteral(": page %1 out of range").arg(page));
            ok = false;
            return;
        }
        if (visited[static_cast<size_t>(page)]) {
            problem(label + QStringLiteral(": page %1 reached twice").arg(page));
            ok = false;
            return;
        }
        visited[static_cast<size_t>(page)] = true;
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
    r.seek(30);
    const int totalPages = r.i16();
    int level = r.i16();
    if (!r.ok() || level > totalPages || pageSize < 64)
        return nullptr;
    auto inside = [&](int p) { return p >= 0 && p < totalPages && 38 + qsizetype(p + 1) * pageSize <= content.size(); };
    while (--level > 0) {
        if (!inside(page))
            return nullptr;
        ByteReader p(content, 38 + page * pageSize);
        p.u16();
        const int n = p.i16();
        int child = p.i16();
        int pos = p.pos();
        const int pageEnd = 38 + (page + 1) * pageSize;
        for (int i = 0; i < n && pos < pageEnd; ++i) {
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
    if (!inside(page))
        return nullptr;
    ByteReader p(content, 38 + page * pageSize + 2);
    const int n = p.i16();
    int pos = 38 + page * pageSize + 8;
    const int pageEnd = 38 + (page + 1) * pageSize;
    for (int i = 0; i < n && pos < pageEnd; ++i) {
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

} // namespace hlp
