#include "winhelp/writer/HlpWriter.h"

#include "winhelp/format/HlpBytes.h"
#include "winhelp/writer/HlpBTree.h"
#include "winhelp/writer/WriterParts.h"

#include <algorithm>

namespace hlp {

namespace writer {

QByteArray Writer::run()
{
    buildRecords();
    fixedHeaderFields();
    if (m_in.compress)
        layoutCompressed();
    else
        layout();
    positionalHeaderFields();
    if (m_in.compress)
        patchCompressed();

    // |TOPIC, the largest by far, is written in place in the output rather than copied there.
    std::vector<std::pair<QByteArray, QByteArray>> files;
    // Room for every internal file at once: no reallocation (GCC 12 at -O3 also misreads a first
    // growth from an empty vector as an out-of-bounds access).
    files.reserve(16 + m_in.pictures.size());
    files.emplace_back("|TOPIC", QByteArray());
    files.emplace_back("|SYSTEM", systemFile());
    files.emplace_back("|FONT", fontFile());
    files.emplace_back("|CONTEXT", contextFile());
    files.emplace_back("|TTLBTREE", titleFile());
    files.emplace_back("|CTXOMAP", mapFile());
    bool anyKeyword = false;
    for (const Topic& t : m_doc.topics)
        anyKeyword = anyKeyword || !t.keywords.isEmpty();
    if (anyKeyword) {
        QByteArray btree, data, map;
        keywordFiles(btree, data, map);
        files.emplace_back("|KWBTREE", btree);
        files.emplace_back("|KWDATA", data);
        files.emplace_back("|KWMAP", map);
    }
    for (size_t i = 0; i < m_in.pictures.size(); ++i)
        files.emplace_back("|bm" + QByteArray::number(static_cast<qulonglong>(i)), m_in.pictures[i]);
    for (const auto& [name, content] : m_in.baggage)
        files.emplace_back(name, content);

    ByteWriter out;
    out.u32(0x00035F3F);
    out.i32(0); // directory start, patched below
    out.i32(-1);
    out.u32(0); // file size, patched below
    std::vector<BTreeEntry> directory;
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    const qsizetype topicBytes = m_in.compress ? compressedTopicSize() : topicSize();
    qsizetype total = 16 + 9 + 0x400 * 4;
    for (const auto& [name, content] : files)
        total += 9 + (name == "|TOPIC" ? topicBytes : content.size());
    out.bytes.reserve(total);
    for (const auto& [name, content] : files) {
        ByteWriter leaf;
        leaf.stringz(name);
        leaf.i32(out.size());
        ByteWriter key;
        key.stringz(name);
        directory.push_back({leaf.bytes, key.bytes});
        const bool topic = name == "|TOPIC";
        const qsizetype size = topic ? topicBytes : content.size();
        out.i32(static_cast<std::int32_t>(size + 9));
        out.i32(static_cast<std::int32_t>(size));
        out.u8(0);
        if (topic) {
            const qsizetype at = out.bytes.size();
            out.bytes.append(size, '\0');
            if (m_in.compress)
                renderCompressedTopic(out.bytes.data() + at);
            else
                renderTopic(out.bytes.data() + at);
        } else {
            out.raw(content);
        }
    }
    const QByteArray dir = buildBTree({"z4", 0x0402, 0x400}, directory).bytes;
    const int dirStart = out.size();
    out.i32(static_cast<std::int32_t>(dir.size() + 9));
    out.i32(static_cast<std::int32_t>(dir.size()));
    out.u8(4);
    out.raw(dir);
    putU32(out.bytes, 4, static_cast<std::uint32_t>(dirStart));
    putU32(out.bytes, 12, static_cast<std::uint32_t>(out.size()));
    return out.bytes;
}

} // namespace writer

QByteArray writeHlp(const HlpWriteInput& input)
{
    writer::Writer w(input);
    return w.run();
}

} // namespace hlp
