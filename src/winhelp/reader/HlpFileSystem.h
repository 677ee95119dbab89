#pragma once
// The help file's own file system, as the reader of foreign help files sees it: the 16-byte
// header, the internal directory and the internal files it names, and the B+ trees that most of
// those files are. Nothing here trusts a number read from the file: every offset, size and page
// number is checked against the bytes there are before it is used.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace hlp::fileread {

// Thrown when the file cannot be read at all; `reason` is French and names the part at fault.
struct Refusal {
    QString reason;
};

[[noreturn]] void refuse(const QString& reason);

class FileSystem {
public:
    struct Entry {
        QByteArray name;
        int offset = 0; // of the file header
        int size = 0;   // bytes of content
        bool usable = false;
    };

    // Reads the header and the directory; refuses a file that is not a help file, or whose
    // directory cannot be read.
    void open(const QByteArray& data);

    const std::vector<Entry>& entries() const { return m_entries; }
    // The file of that name (exactly, else without regard to case), or null.
    const Entry* find(const QByteArray& name) const;
    bool has(const QByteArray& name) const { return find(name) != nullptr; }
    // Its content (a copy that owns its bytes), or empty.
    QByteArray file(const QByteArray& name) const;
    QByteArray content(const Entry& entry) const { return m_data.mid(entry.offset + 9, entry.size); }
    // The same bytes without a copy, valid while the file system lives: for reading only.
    QByteArray view(const Entry& entry) const { return QByteArray::fromRawData(m_data.constData() + entry.offset + 9, entry.size); }
    qsizetype size() const { return m_data.size(); }
    // Names of the files that are listed but lie outside the help file.
    const QStringList& damaged() const { return m_damaged; }

private:
    QByteArray m_data;
    std::vector<Entry> m_entries;
    QStringList m_damaged;
};

// A B+ tree's leaf pages, in key order (along the chain of leaves). Entries are read by the
// caller, each kind of tree having its own; every entry lies within its page.
class BTree {
public:
    struct Leaf {
        int begin = 0; // first entry
        int end = 0;   // end of the page
        int count = 0; // entries the page says it holds
    };

    // False, with the reason, when the header or the pages are damaged: pages outside the file,
    // a chain of pages that loops or leaves the tree.
    bool open(const QByteArray& content, QString* why);
    const QByteArray& content() const { return m_content; }
    const std::vector<Leaf>& leaves() const { return m_leaves; }
    const QByteArray& structure() const { return m_structure; }
    int pageSize() const { return m_pageSize; }
    int totalEntries() const { return m_totalEntries; }

private:
    QByteArray m_content;
    QByteArray m_structure;
    std::vector<Leaf> m_leaves;
    int m_pageSize = 0;
    int m_totalEntries = 0;
};

} // namespace hlp::fileread
