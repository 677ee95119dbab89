// The indexes of a help file: |CONTEXT (context strings and aliases), |TTLBTREE (titles), the
// keyword files and |CTXOMAP ([MAP] numbers).
#include "winhelp/writer/WriterParts.h"

#include "winhelp/model/Limits.h"

#include "winhelp/format/HlpBytes.h"
#include "winhelp/writer/HlpBTree.h"

#include <algorithm>
#include <map>

namespace hlp::writer {

// Every context string and every alias, by hash, with the offset of the topic it leads to.
std::unordered_map<std::int32_t, std::uint32_t> Writer::offsetsByHash() const
{
    std::unordered_map<std::int32_t, std::uint32_t> byHash;
    for (size_t t = 0; t < m_doc.topics.size(); ++t) {
        for (const QByteArray& c : m_doc.topics[t].contexts)
            byHash.emplace(contextHash(c), m_topicOffset[t]);
    }
    for (const auto& [alias, topic] : m_in.aliases)
        byHash.emplace(contextHash(alias), m_topicOffset[static_cast<size_t>(topic)]);
    return byHash;
}

QByteArray Writer::contextFile()
{
    const auto all = offsetsByHash();
    const std::map<std::int32_t, std::uint32_t> byHash(all.begin(), all.end()); // signed order, as the viewer compares
    std::vector<BTreeEntry> entries;
    entries.reserve(byHash.size());
    for (const auto& [hash, offset] : byHash) {
        ByteWriter leaf;
        leaf.i32(hash);
        leaf.u32(offset);
        ByteWriter key;
        key.i32(hash);
        entries.push_back({leaf.bytes, key.bytes});
    }
    return buildBTree({"L4", 0x0002, 0x800}, entries).bytes;
}

QByteArray Writer::titleFile()
{
    std::vector<BTreeEntry> entries;
    entries.reserve(m_doc.topics.size() + 1);
    for (size_t t = 0; t <= m_doc.topics.size(); ++t) {
        ByteWriter leaf;
        leaf.u32(m_topicOffset[t]);
        leaf.stringz(t < m_doc.topics.size() ? m_doc.topics[t].title.left(MaxTitleBytes) : QByteArray());
        ByteWriter key;
        key.u32(m_topicOffset[t]);
        entries.push_back({leaf.bytes, key.bytes});
    }
    return buildBTree({"Lz", 0x0002, 0x800}, entries).bytes;
}

void Writer::keywordFiles(QByteArray& btree, QByteArray& data, QByteArray& map)
{
    // Sorted by their folded keys, computed once per keyword: the same order as compareKeywords,
    // without folding both keywords again at each of the sort's comparisons.
    struct Keyword {
        QByteArray text;
        std::vector<std::uint32_t> offsets;
        std::string base, upper;
    };
    std::vector<Keyword> all;
    for (size_t t = 0; t < m_doc.topics.size(); ++t) {
        for (const QByteArray& k : m_doc.topics[t].keywords) {
            all.push_back({k, {m_topicOffset[t]}, {}, {}});
            keywordFoldKeys(k, all.back().base, all.back().upper);
        }
    }
    const auto order = [](const Keyword& a, const Keyword& b) {
        const int first = a.base.compare(b.base);
        return first != 0 ? first : a.upper.compare(b.upper);
    };
    // The places are sorted, not the keywords, which are costly to move.
    std::vector<std::uint32_t> sorted(all.size());
    for (size_t i = 0; i < sorted.size(); ++i)
        sorted[i] = static_cast<std::uint32_t>(i);
    std::stable_sort(sorted.begin(), sorted.end(), [&](std::uint32_t a, std::uint32_t b) { return order(all[a], all[b]) < 0; });
    std::vector<Keyword> merged;
    for (const std::uint32_t i : sorted) {
        Keyword& k = all[i];
        if (!merged.empty() && order(merged.back(), k) == 0)
            merged.back().offsets.push_back(k.offsets.front());
        else
            merged.push_back(std::move(k));
    }
    ByteWriter kwdata;
    std::vector<BTreeEntry> entries;
    entries.reserve(merged.size());
    for (Keyword& k : merged) {
        std::sort(k.offsets.begin(), k.offsets.end());
        k.offsets.erase(std::unique(k.offsets.begin(), k.offsets.end()), k.offsets.end());
        ByteWriter leaf;
        leaf.stringz(k.text);
        leaf.u16(static_cast<unsigned>(k.offsets.size()));
        leaf.u32(static_cast<std::uint32_t>(kwdata.size()));
        for (const std::uint32_t o : k.offsets)
            kwdata.u32(o);
        ByteWriter key;
        key.stringz(k.text);
        entries.push_back({leaf.bytes, key.bytes});
    }
    const BTree tree = buildBTree({"F24", 0x0002, 0x800}, entries);
    btree = tree.bytes;
    data = kwdata.bytes;
    ByteWriter kwmap;
    kwmap.u16(static_cast<unsigned>(tree.leafFirstEntry.size()));
    for (size_t page = 0; page < tree.leafFirstEntry.size(); ++page) {
        kwmap.u32(static_cast<std::uint32_t>(tree.leafFirstEntry[page]));
        kwmap.u16(static_cast<unsigned>(page));
    }
    map = kwmap.bytes;
}

QByteArray Writer::mapFile()
{
    const auto byHash = offsetsByHash();
    std::map<std::uint32_t, std::uint32_t> entries;
    for (const MapEntry& e : m_project.map) {
        const auto it = byHash.find(contextHash(e.context));
        if (it != byHash.end())
            entries.emplace(e.number, it->second);
    }
    ByteWriter m;
    m.u16(static_cast<unsigned>(entries.size()));
    for (const auto& [number, offset] : entries) {
        m.u32(number);
        m.u32(offset);
    }
    return m.bytes;
}

} // namespace hlp::writer
