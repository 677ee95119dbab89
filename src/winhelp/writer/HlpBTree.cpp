#include "winhelp/writer/HlpBTree.h"

#include "winhelp/format/HlpBytes.h"

namespace hlp {

namespace {

constexpr int kLeafHeader = 8;
constexpr int kIndexHeader = 6;

struct Node {
    int page;
    QByteArray firstKey;
};

} // namespace

BTree buildBTree(const BTreeLayout& layout, const std::vector<BTreeEntry>& entries)
{
    const int pageSize = layout.pageSize;
    std::vector<QByteArray> pages;
    BTree tree;

    // Leaves.
    std::vector<Node> level;
    {
        QByteArray page;
        int count = 0;
        auto closeLeaf = [&]() {
            ByteWriter h;
            h.u16(static_cast<unsigned>(pageSize - kLeafHeader - page.size()));
            h.i16(count);
            h.i16(-1);
            h.i16(-1);
            QByteArray full = h.bytes;
            full.append(page);
            full.append(pageSize - full.size(), '\0');
            pages.push_back(full);
        };
        for (size_t i = 0; i < entries.size(); ++i) {
            const QByteArray& e = entries[i].leaf;
            if (count > 0 && kLeafHeader + page.size() + e.size() > pageSize) {
                closeLeaf();
                page.clear();
                count = 0;
            }
            if (count == 0) {
                tree.leafFirstEntry.push_back(static_cast<int>(i));
                level.push_back({static_cast<int>(pages.size()), entries[i].key});
            }
            page.append(e);
            ++count;
        }
        if (count > 0 || pages.empty()) {
            if (level.empty()) {
                tree.leafFirstEntry.push_back(0);
                level.push_back({0, {}});
            }
            closeLeaf();
        }
        // Doubly linked leaf chain.
        const int leaves = static_cast<int>(pages.size());
        for (int p = 0; p < leaves; ++p) {
            putU16(pages[static_cast<size_t>(p)], 4, static_cast<unsigned>(p > 0 ? p - 1 : 0xFFFF));
            putU16(pages[static_cast<size_t>(p)], 6, static_cast<unsigned>(p + 1 < leaves ? p + 1 : 0xFFFF));
        }
    }

    int levels = 1;
    while (level.size() > 1) {
        std::vector<Node> upper;
        QByteArray page;
        int count = 0;
        int previous = -1;
        auto closeIndex = [&]() {
            ByteWriter h;
            h.u16(static_cast<unsigned>(pageSize - kIndexHeader - page.size()));
            h.i16(count);
            h.i16(previous);
            QByteArray full = h.bytes;
            full.append(page);
            full.append(pageSize - full.size(), '\0');
            pages.push_back(full);
        };
        for (const Node& child : level) {
            const int entrySize = static_cast<int>(child.firstKey.size()) + 2;
            if (previous >= 0 && kIndexHeader + page.size() + entrySize > pageSize) {
                closeIndex();
                page.clear();
                count = 0;
                previous = -1;
            }
            if (previous < 0) {
                previous = child.page;
                upper.push_back({static_cast<int>(pages.size()), child.firstKey});
                continue;
            }
            ByteWriter e;
            e.raw(child.firstKey);
            e.i16(child.page);
            page.append(e.bytes);
            ++count;
        }
        closeIndex();
        level = std::move(upper);
        ++levels;
    }

    ByteWriter h;
    h.u16(0x293B);
    h.u16(layout.flags);
    h.u16(static_cast<unsigned>(pageSize));
    h.fixedString(layout.structure, 16);
    h.i16(0);
    h.i16(static_cast<int>(pages.size()) - levels);
    h.i16(level.front().page);
    h.i16(-1);
    h.i16(static_cast<int>(pages.size()));
    h.i16(levels);
    h.i32(static_cast<std::int32_t>(entries.size()));
    tree.bytes = h.bytes;
    tree.bytes.reserve(h.size() + static_cast<qsizetype>(pages.size()) * pageSize);
    for (const QByteArray& p : pages)
        tree.bytes.append(p);
    return tree;
}

} // namespace hlp
