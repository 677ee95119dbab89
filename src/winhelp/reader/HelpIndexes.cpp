// The indexes beside |TOPIC: |CONTEXT (context hashes to topics), the keyword indexes (K, A and
// any other footnote letter), |CTXOMAP ([MAP] numbers), |VIOLA (a topic's window), |TopicId
// (context strings of topics), |Petra (the topic files' names) and, in 3.0 files, |TOMAP.
#include "winhelp/reader/HelpReader.h"

#include "winhelp/format/HlpBytes.h"

#include <algorithm>

namespace hlp::fileread {

template<class Entry>
void HelpReader::forEachLeafEntry(const QByteArray& name, const Entry& entry)
{
    const FileSystem::Entry* file = m_fs.find(name);
    if (!file)
        return;
    BTree tree;
    QString why;
    if (!tree.open(m_fs.content(*file), &why))
        refuse(QString::fromLatin1(file->name) + QStringLiteral(" : ") + why);
    for (const BTree::Leaf& leaf : tree.leaves()) {
        ByteReader r(tree.content(), leaf.begin, leaf.end);
        for (int i = 0; i < leaf.count; ++i) {
            entry(r);
            if (!r.ok())
                refuse(QString::fromLatin1(file->name) + QStringLiteral(" : une entrée dépasse sa page de l'arbre B+"));
        }
    }
}

// The topic a TOPICOFFSET is in: the last one starting at or before it (the first of several
// empty topics that share an offset); -1 before the first.
int HelpReader::topicAtOffset(std::uint32_t offset) const
{
    auto it = std::upper_bound(m_places.begin(), m_places.end(), offset,
                               [](std::uint32_t o, const TopicPlace& p) { return o < p.offset; });
    if (it == m_places.begin())
        return -1;
    --it;
    while (it != m_places.begin() && (it - 1)->offset == it->offset)
        --it;
    return static_cast<int>(it - m_places.begin());
}

int HelpReader::topicAtPos(std::int32_t pos) const
{
    auto it = std::upper_bound(m_places.begin(), m_places.end(), pos, [](std::int32_t o, const TopicPlace& p) { return o < p.pos; });
    if (it == m_places.begin())
        return m_places.empty() ? -1 : 0;
    return static_cast<int>(it - m_places.begin()) - 1;
}

void HelpReader::readIndexes()
{
    readContexts();
    readTopicMap();
    for (const FileSystem::Entry& e : m_fs.entries()) {
        // |KWBTREE, |AWBTREE ...: one keyword index per footnote letter.
        if (e.usable && e.name.size() == 8 && e.name.startsWith('|') && e.name.endsWith("WBTREE") && e.name[1] != 'K')
            readKeywords(e.name, e.name[1]);
    }
    readKeywords("|KWBTREE", 'K');
    readMap();
    readTopicWindows();
    readTopicNames();
    readSourceFiles();
}

void HelpReader::readContexts()
{
    forEachLeafEntry("|CONTEXT", [this](ByteReader& r) {
        const std::int32_t hash = r.i32();
        const std::uint32_t offset = r.u32();
        m_contexts.emplace_back(hash, offset);
    });
}

void HelpReader::readTopicMap()
{
    if (!m_before31)
        return;
    const QByteArray map = m_fs.file("|TOMAP");
    ByteReader r(map);
    while (r.pos() + 4 <= map.size())
        m_topicMap.push_back(r.i32());
}

void HelpReader::readKeywords(const QByteArray& treeName, char footnote)
{
    const FileSystem::Entry* tree = m_fs.find(treeName);
    if (!tree || tree->name != treeName)
        return;
    QByteArray dataName = treeName;
    dataName.replace("BTREE", "DATA");
    const QByteArray data = m_fs.file(dataName);
    if (data.isEmpty()) {
        warn(QStringLiteral("%1 : index de mots-clés sans %2 ; il est ignoré.").arg(QString::fromLatin1(treeName), QString::fromLatin1(dataName)));
        return;
    }
    int outside = 0;
    forEachLeafEntry(treeName, [&](ByteReader& r) {
        const QByteArray keyword = r.stringz();
        const int count = static_cast<int>(r.u16());
        const std::uint32_t at = r.u32();
        if (!r.ok())
            return;
        if (qint64(at) + 4 * qint64(count) > data.size()) {
            ++outside;
            return;
        }
        ByteReader d(data, static_cast<int>(at));
        for (int k = 0; k < count; ++k) {
            const std::uint32_t where = d.u32();
            if (where == 0xFFFFFFFFu)
                continue; // a keyword that runs a macro ([MACROS])
            const int t = m_before31 ? topicAtPos(static_cast<std::int32_t>(where)) : topicAtOffset(where);
            if (t < 0) {
                ++outside;
                continue;
            }
            Topic& topic = m_doc.topics[static_cast<size_t>(t)];
            QList<QByteArray>* list = &topic.keywords;
            if (footnote != 'K') {
                auto it = std::find_if(topic.otherKeywords.begin(), topic.otherKeywords.end(),
                                       [footnote](const KeywordList& l) { return l.footnote == footnote; });
                if (it == topic.otherKeywords.end()) {
                    topic.otherKeywords.push_back({footnote, {}});
                    it = topic.otherKeywords.end() - 1;
                }
                list = &it->keywords;
            }
            if (list->isEmpty() || list->back() != keyword)
                if (!list->contains(keyword))
                    list->append(keyword);
        }
    });
    if (outside > 0)
        warn(QStringLiteral("%1 : %2 renvois hors des rubriques ou de %3 ; ils sont ignorés.")
                 .arg(QString::fromLatin1(treeName))
                 .arg(outside)
                 .arg(QString::fromLatin1(dataName)));
}

void HelpReader::readMap()
{
    const QByteArray map = m_fs.file("|CTXOMAP");
    ByteReader r(map);
    const int n = static_cast<int>(r.u16());
    if (2 + 8 * qint64(n) > map.size())
        warn(QStringLiteral("|CTXOMAP : %1 numéros annoncés, le fichier en a %2.").arg(n).arg((map.size() - 2) / 8));
    for (int i = 0; i < n; ++i) {
        const std::uint32_t number = r.u32();
        const std::uint32_t offset = r.u32();
        if (!r.ok())
            break;
        m_map.emplace_back(number, offset);
    }
}

void HelpReader::readTopicWindows()
{
    forEachLeafEntry("|VIOLA", [this](ByteReader& r) {
        const std::uint32_t offset = r.u32();
        const std::int32_t window = r.i32();
        const int t = topicAtOffset(offset);
        if (t >= 0 && window >= 0 && window < static_cast<int>(m_project.windows.size()))
            m_doc.topics[static_cast<size_t>(t)].window = m_project.windows[static_cast<size_t>(window)].name;
    });
}

void HelpReader::readTopicNames()
{
    forEachLeafEntry("|TopicId", [this](ByteReader& r) {
        const std::uint32_t offset = r.u32();
        const QByteArray name = r.stringz();
        if (!name.isEmpty())
            m_topicIds.emplace_back(static_cast<std::int32_t>(offset), name);
    });
}

void HelpReader::readSourceFiles()
{
    const CodePage codePage = CodePage::forCharset(m_project.textCharset);
    forEachLeafEntry("|Petra", [&](ByteReader& r) {
        const std::uint32_t offset = r.u32();
        const QByteArray file = r.stringz();
        const int t = topicAtOffset(offset);
        if (t >= 0)
            m_doc.topics[static_cast<size_t>(t)].sourceFile = codePage.decode(file);
    });
}

} // namespace hlp::fileread
