#pragma once
// The container of a compiled help file: the ITSF header, the directory (listing chunks PMGL and,
// when there are several, index chunks PMGI above them), and two content sections: the first holds
// its files as they are, the second is one LZX stream (with its control data, reset table and
// span) that the first section carries.
#include <QByteArray>
#include <cstdint>
#include <vector>

namespace hlp::chm {

struct ChmEntry {
    QByteArray name;       // "/page.html", "/#SYSTEM"...: '/' first, UTF-8
    QByteArray bytes;
    bool compressed = true; // in the LZX section
};

// The whole file. The compressed entries go into the stream in the order given (so pages that
// belong together share matches); the directory lists every entry sorted as readers search it.
QByteArray packChm(const std::vector<ChmEntry>& entries, std::uint32_t lcid);

// How the directory orders names: bytes compared with ASCII letters folded to lower case.
bool directoryLess(const QByteArray& a, const QByteArray& b);

} // namespace hlp::chm
