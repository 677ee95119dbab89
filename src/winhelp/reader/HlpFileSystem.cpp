#include "winhelp/reader/HlpFileSystem.h"

#include "winhelp/format/HlpBytes.h"

#include <QStringList>

namespace hlp::fileread {

void refuse(const QString& reason)
{
    throw Refusal{reason};
}

namespace {

constexpr std::uint32_t kHelpMagic = 0x00035F3F;
constexpr unsigned kTreeMagic = 0x293B;
constexpr int kTreeHeader = 38;

} // namespace

void FileSystem::open(const QByteArray& data)
{
    m_data = data;
    m_entries.clear();
    m_damaged.clear();
    if (data.size() < 16)
        refuse(QStringLiteral("le fichier est trop court pour être une aide WinHelp (%1 octets)").arg(data.size()));
    ByteReader h(m_data);
    const std::uint32_t magic = h.u32();
    const std::int32_t directory = h.i32();
    h.i32(); // the free list: nothing is read from it
    const std::uint32_t declared = h.u32();
    if (magic != kHelpMagic)
        refuse(QStringLiteral("ce n'est pas un fichier d'aide WinHelp (signature de l'en-tête incorrecte)"));
    if (declared > static_cast<std::uint64_t>(m_data.size()))
        refuse(QStringLiteral("fichier tronqué : l'en-tête annonce %1 octets, le fichier n'en a que %2")
                   .arg(declared)
                   .arg(m_data.size()));
    if (directory < 16 || qint64(directory) + 9 + kTreeHeader > m_data.size())
        refuse(QStringLiteral("le répertoire interne est hors du fichier (position %1)").arg(directory));
    ByteReader fh(m_data, directory);
    fh.i32();
    const std::int32_t used = fh.i32();
    if (used < kTreeHeader || qint64(directory) + 9 + used > m_data.size())
        refuse(QStringLiteral("le répertoire interne est tronqué (%1 octets annoncés)").arg(used));
    BTree tree;
    QString why;
    if (!tree.open(m_data.mid(directory + 9, used), &why))
        refuse(QStringLiteral("répertoire interne illisible : ") + why);
    const QByteArray& content = tree.content();
    for (const BTree::Leaf& leaf : tree.leaves()) {
        ByteReader r(content, leaf.begin, leaf.end);
        for (int i = 0; i < leaf.count; ++i) {
            Entry e;
            e.name = r.stringz();
            e.offset = r.i32();
            if (!r.ok())
                refuse(QStringLiteral("répertoire interne illisible : entrée hors de sa page"));
            ByteReader f(m_data, e.offset);
            f.i32();
            e.size = f.i32();
            e.usable = f.ok() && e.offset >= 16 && e.size >= 0 && qint64(e.offset) + 9 + e.size <= m_data.size();
            if (!e.usable)
                m_damaged << QString::fromLatin1(e.name);
            m_entries.push_back(e);
        }
    }
}

const FileSystem::Entry* FileSystem::find(const QByteArray& name) const
{
    for (const Entry& e : m_entries)
        if (e.usable && e.name == name)
            return &e;
    for (const Entry& e : m_entries)
        if (e.usable && e.name.compare(name, Qt::CaseInsensitive) == 0)
            return &e;
    return nullptr;
}

QByteArray FileSystem::file(const QByteArray& name) const
{
    const Entry* e = find(name);
    return e ? content(*e) : QByteArray();
}

bool BTree::open(const QByteArray& content, QString* why)
{
    m_content = content;
    m_leaves.clear();
    auto fail = [why](const QString& reason) {
        *why = reason;
        return false;
    };
    ByteReader r(m_content);
    if (r.u16() != kTreeMagic)
        return fail(QStringLiteral("signature d'arbre B+ incorrecte"));
    r.u16();
    m_pageSize = static_cast<int>(r.u16());
    m_structure = r.bytes(16);
    m_structure.truncate(m_structure.indexOf('\0') < 0 ? m_structure.size() : m_structure.indexOf('\0'));
    r.i16();
    r.i16();
    const int root = r.i16();
    r.i16();
    const int totalPages = r.i16();
    const int levels = r.i16();
    m_totalEntries = r.i32();
    if (!r.ok())
        return fail(QStringLiteral("en-tête d'arbre B+ tronqué"));
    if (totalPages <= 0 || levels <= 0 || m_totalEntries <= 0)
        return true; // an empty tree
    if (m_pageSize < 8)
        return fail(QStringLiteral("pages d'arbre B+ de %1 octets").arg(m_pageSize));
    if (qint64(kTreeHeader) + qint64(totalPages) * m_pageSize > m_content.size())
        return fail(QStringLiteral("arbre B+ tronqué (%1 pages de %2 octets annoncées)").arg(totalPages).arg(m_pageSize));
    if (levels > totalPages)
        return fail(QStringLiteral("arbre B+ de %1 niveaux pour %2 pages").arg(levels).arg(totalPages));
    auto pageAt = [this](int page) { return kTreeHeader + page * m_pageSize; };
    std::vector<bool> seen(static_cast<size_t>(totalPages), false);
    // Down the first child of every index page to the first leaf.
    int page = root;
    for (int level = levels; level > 1; --level) {
        if (page < 0 || page >= totalPages || seen[static_cast<size_t>(page)])
            return fail(QStringLiteral("page d'index %1 hors de l'arbre B+").arg(page));
        seen[static_cast<size_t>(page)] = true;
        page = ByteReader(m_content, pageAt(page) + 4).i16();
    }
    // Then along the chain of leaves; a page met twice means a loop.
    while (page != -1) {
        if (page < 0 || page >= totalPages)
            return fail(QStringLiteral("page %1 hors de l'arbre B+").arg(page));
        if (seen[static_cast<size_t>(page)])
            return fail(QStringLiteral("les pages de l'arbre B+ forment une boucle (page %1)").arg(page));
        seen[static_cast<size_t>(page)] = true;
        ByteReader p(m_content, pageAt(page));
        p.u16();
        const int count = p.i16();
        p.i16();
        const int next = p.i16();
        if (count < 0)
            return fail(QStringLiteral("page %1 de l'arbre B+ illisible").arg(page));
        m_leaves.push_back({pageAt(page) + 8, pageAt(page) + m_pageSize, count});
        page = next;
    }
    return true;
}

} // namespace hlp::fileread
