#pragma once
// Builds the B+ trees of a .hlp file (directory, |CONTEXT, |TTLBTREE, |KWBTREE) bottom-up: leaves
// filled greedily in key order, index levels above them, the root as the last page.
#include <QByteArray>
#include <vector>

namespace hlp {

struct BTreeEntry {
    QByteArray leaf; // the whole leaf entry
    QByteArray key;  // the key as an index page stores it (before the page number)
};

struct BTreeLayout {
    QByteArray structure; // "z4", "L4", "Lz", "F24"
    unsigned flags = 0x0002;
    int pageSize = 0x800;
};

struct BTree {
    QByteArray bytes;                 // the 38-byte header and every page
    std::vector<int> leafFirstEntry;  // index of the first entry on each leaf page
};

// The entries must already be sorted in the order the reader compares them. An entry larger
// than a page cannot be stored; the caller keeps entries short.
BTree buildBTree(const BTreeLayout& layout, const std::vector<BTreeEntry>& entries);

} // namespace hlp
