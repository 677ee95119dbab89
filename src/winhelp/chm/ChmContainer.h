#pragma once
// The container of a compiled help file: the ITSF header, the directory (listing chunks PMGL and,
// when there are several, index chunks PMGI above them), and two content sections: the first holds
// its files as they are, the second is one LZX stream (with its control data, reset table and
// span) that the first section carries.
#include <QByteArray>
#include <cstdint>
#include <memory>
#include <vector>

namespace hlp::chm {

struct ChmEntry {
    QByteArray name;       // "/page.html", "/#SYSTEM"...: '/' first, UTF-8
    QByteArray bytes;
    bool compressed = true; // in the LZX section
};

// Builds the file entry by entry: the compressed entries go into the stream in the order given
// (so pages that belong together share matches) and are compressed while the next ones are made;
// the directory lists every entry sorted as readers search it.
class ChmPacker {
public:
    explicit ChmPacker(std::uint32_t lcid);
    ~ChmPacker();
    void add(const QByteArray& name, QByteArrayView bytes, bool compressed);
    QByteArray finish();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Little-endian numbers, as every table of the file stores them.
void putWord(QByteArray& out, std::uint32_t v);
void putDword(QByteArray& out, std::uint32_t v);

// The whole file at once.
QByteArray packChm(const std::vector<ChmEntry>& entries, std::uint32_t lcid);

// How the directory orders names: bytes compared with ASCII letters folded to lower case.
bool directoryLess(const QByteArray& a, const QByteArray& b);

} // namespace hlp::chm
