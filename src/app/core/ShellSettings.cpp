#include "app/core/ShellSettings.h"

#include "platform/core/TextFile.h"
#include "platform/core/WindowPlace.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace shellsettings {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// The integer of a whole token, or 0 when it is not one (or does not fit 64 bits).
qint64 tokenValue(QStringView token)
{
    bool ok = false;
    const qint64 v = token.toLongLong(&ok, 10);
    return ok ? v : 0;
}

int inRange(qint64 v, qint64 low, qint64 high, int replacement)
{
    return v < low || v > high ? replacement : int(v);
}

// A colour word read as signed or unsigned 32 bits; anything wider is unreadable.
qint32 colourWord(qint64 v)
{
    if (v >= INT32_MIN && v <= INT32_MAX)
        return qint32(v);
    if (v > INT32_MAX && v <= qint64(UINT32_MAX))
        return qint32(quint32(v));
    return 0;
}

QString placeLine(const WindowPlace& p)
{
    return QString::number(p.left) + QLatin1Char(' ') + QString::number(p.top) + QLatin1Char(' ')
        + QString::number(p.colour);
}

WindowPlace placeFrom(const QString& line)
{
    const QList<qint64> n = readNumbers(line, 3);
    return boundedPlace(inRange(n[0], INT32_MIN, INT32_MAX, 0), inRange(n[1], INT32_MIN, INT32_MAX, 0), n[2]);
}

} // namespace

QList<qint64> readNumbers(const QString& line, int count)
{
    QList<qint64> out;
    out.reserve(count);
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (out.size() < count) {
        while (i < n && isBlank(line[i]))
            ++i;
        const qsizetype start = i;
        while (i < n && !isBlank(line[i]))
            ++i;
        out.append(tokenValue(QStringView(line).sliced(start, i - start)));
    }
    return out;
}

WindowPlace boundedPlace(int left, int top, qint64 colour)
{
    WindowPlace p;
    p.left = windowplace::boundedLeft(left);
    p.top = windowplace::boundedTop(top);
    p.colour = colourWord(colour);
    return p;
}

Settings parse(const QStringList& lines)
{
    const auto line = [&lines](int i) { return i < lines.size() ? lines[i] : QString(); };
    Settings s;
    s.helpCompilerPath = line(0);
    const QList<qint64> main = readNumbers(line(1), 4);
    s.left = inRange(main[0], 0, 200, 0);
    s.top = inRange(main[1], 0, 200, 0);
    s.height = inRange(main[2], 1, 2000, 400);
    s.width = inRange(main[3], 1, 2000, 600);
    s.textViewer = placeFrom(line(2));
    s.wordWrap = readNumbers(line(3), 1)[0] == 1;
    s.hpjEditor = placeFrom(line(4));
    s.popupEditor = placeFrom(line(5));
    return s;
}

QStringList format(const Settings& s)
{
    return {
        s.helpCompilerPath,
        QString::number(s.left) + QLatin1Char(' ') + QString::number(s.top) + QLatin1Char(' ')
            + QString::number(s.height) + QLatin1Char(' ') + QString::number(s.width),
        placeLine(s.textViewer),
        QString::number(s.wordWrap ? 1 : 0),
        placeLine(s.hpjEditor),
        placeLine(s.popupEditor),
    };
}

QString filePath(const QString& directory)
{
    const QDir dir(directory);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& e : entries) {
        if (e.compare(FileName, Qt::CaseInsensitive) == 0)
            return dir.filePath(e);
    }
    return dir.filePath(FileName);
}

bool read(const QString& directory, Settings& out)
{
    const QString path = filePath(directory);
    if (!QFileInfo(path).isFile())
        return false;
    QStringList lines;
    textfile::readLines(path, lines); // an unreadable file reads as empty: every default
    out = parse(lines);
    return true;
}

bool write(const QString& directory, const Settings& s, QString* error)
{
    return textfile::writeLines(filePath(directory), format(s), error);
}

QString configFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).filePath(QStringLiteral("tyxplumet"));
}

QString configFilePath()
{
    return QDir(configFolder()).filePath(FileName);
}

bool readAtStart(const QString& startDirectory, Settings& out)
{
    return read(configFolder(), out) || read(startDirectory, out);
}

bool writeAtExit(const Settings& s, QString* error)
{
    if (!QDir().mkpath(configFolder())) {
        if (error)
            *error = QStringLiteral("le dossier « %1 » ne peut pas être créé").arg(configFolder());
        return false;
    }
    return write(configFolder(), s, error);
}

} // namespace shellsettings
