// A whole compile: the input is a project file (.hpj) and, after its first NUL byte, the topic
// file it names as t.rtf. Property: a .hlp the compiler says it wrote passes the reader's
// structure check and holds as many topics as the compiler counted.
#include "fuzz/FuzzCheck.h"
#include "winhelp/HlpCompiler.h"
#include "winhelp/reader/HlpFileReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QTemporaryDir& folder()
{
    // In memory where the system offers it: each run writes three files.
    static QTemporaryDir dir(QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm/tyx-fuzz-XXXXXX") : QString());
    return dir;
}

void put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
}

} // namespace

TYX_FUZZ_ENTRY
{
    const QByteArray bytes = fuzz::input(data, size);
    const qsizetype nul = bytes.indexOf('\0');
    const QDir dir(folder().path());
    put(dir.filePath("p.hpj"), nul < 0 ? bytes : bytes.left(nul));
    put(dir.filePath("t.rtf"), nul < 0 ? QByteArray() : bytes.mid(nul + 1));
    QFile::remove(dir.filePath("p.hlp"));

    const hlp::CompileResult r = hlp::HlpCompiler().compile(dir.filePath("p.hpj"));
    QFile out(dir.filePath("p.hlp"));
    FUZZ_CHECK(r.written == out.exists());
    if (!r.written)
        return 0;
    FUZZ_CHECK(out.open(QIODevice::ReadOnly));
    hlp::HlpFile hlpFile;
    const bool whole = hlpFile.load(out.readAll());
    if (!whole)
        for (const QString& p : hlpFile.problems())
            std::fprintf(stderr, "%s\n", qPrintable(p));
    FUZZ_CHECK(whole);
    FUZZ_CHECK(hlpFile.topics().size() == size_t(r.topicCount));
    return 0;
}
