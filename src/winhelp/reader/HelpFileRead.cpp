// The entry points of the help file reader: a file on the disk (with the contents file beside
// it), or bytes in memory.
#include "winhelp/reader/HelpFileRead.h"

#include "platform/core/SafeFile.h"
#include "winhelp/reader/HelpReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <new>

namespace hlp {

namespace {

// Far more than any help file: the format's offsets are signed 32-bit numbers.
constexpr qint64 kMaxHelpFile = qint64(1) << 30;

// The contents file `wanted` in the help file's folder, in any letter case.
QByteArray contentsBeside(const QFileInfo& help, const QString& wanted)
{
    const QDir folder = help.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden)) {
        if (name.compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        const QString path = folder.filePath(name);
        if (!safefile::notRegularFile(path).isEmpty() || QFileInfo(path).size() > kMaxHelpFile)
            return {};
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    return {};
}

} // namespace

HelpFileRead readHelpBytes(const QByteArray& data, const QByteArray& contents)
{
    HelpFileRead read;
    auto help = std::make_shared<LoadedHelp>();
    try {
        fileread::HelpReader(*help, read.warnings).run(data, contents);
        read.help = std::move(help);
    } catch (const fileread::Refusal& refusal) {
        read.error = refusal.reason;
    } catch (const std::bad_alloc&) {
        read.error = QStringLiteral("la mémoire ne suffit pas pour lire ce fichier");
    }
    return read;
}

HelpFileRead readHelpFile(const QString& path)
{
    HelpFileRead read;
    const QFileInfo info(path);
    if (!info.exists()) {
        read.error = QStringLiteral("le fichier n'existe pas");
        return read;
    }
    if (const QString why = safefile::notRegularFile(path); !why.isEmpty()) {
        read.error = why;
        return read;
    }
    if (info.size() > kMaxHelpFile) {
        read.error = QStringLiteral("le fichier est trop grand pour une aide WinHelp (%1 octets)").arg(info.size());
        return read;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        read.error = f.errorString();
        return read;
    }
    const QByteArray data = f.readAll();
    // The contents file of the same base name; else the one the help file names (read again
    // with it: its lines name topics).
    read = readHelpBytes(data, contentsBeside(info, info.completeBaseName() + QStringLiteral(".cnt")));
    if (read.help && read.help->contents.empty() && !read.help->file.contentsFile.isEmpty()) {
        const QString named = QString::fromLocal8Bit(read.help->file.contentsFile).section(QLatin1Char('\\'), -1).section(QLatin1Char('/'), -1);
        const QByteArray contents = contentsBeside(info, named);
        if (!contents.isEmpty())
            read = readHelpBytes(data, contents);
    }
    if (read.help)
        read.help->project.folder = info.absolutePath();
    return read;
}

} // namespace hlp
