#include "winhelp/format/CntFile.h"

#include <QList>

namespace hlp {

namespace {

QByteArray commandValue(const QByteArray& line, const char* command)
{
    const qsizetype n = qstrlen(command);
    if (line.size() < n || qstrnicmp(line.constData(), command, n) != 0)
        return {};
    if (line.size() > n && line[n] != ' ' && line[n] != '\t')
        return {};
    return line.mid(n).trimmed();
}

bool isCommand(const QByteArray& line, const char* command)
{
    const qsizetype n = qstrlen(command);
    return line.size() >= n && qstrnicmp(line.constData(), command, n) == 0
        && (line.size() == n || line[n] == ' ' || line[n] == '\t');
}

// The text before an unescaped '=', unescaped; `rest` gets what follows it (empty when none).
QByteArray splitText(const QByteArray& entry, QByteArray& rest, bool& hasTarget)
{
    QByteArray text;
    hasTarget = false;
    for (qsizetype i = 0; i < entry.size(); ++i) {
        const char c = entry[i];
        if (c == '\\' && i + 1 < entry.size() && entry[i + 1] == '=') {
            text += '=';
            ++i;
        } else if (c == '=') {
            rest = entry.mid(i + 1).trimmed();
            hasTarget = true;
            break;
        } else {
            text += c;
        }
    }
    return text.trimmed();
}

} // namespace

ContentsFile parseContentsFile(const QByteArray& text)
{
    ContentsFile contents;
    int previousLevel = 0;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith(':')) {
            if (isCommand(line, ":Base"))
                contents.base = commandValue(line, ":Base");
            else if (isCommand(line, ":Title"))
                contents.title = commandValue(line, ":Title");
            continue;
        }
        qsizetype digits = 0;
        while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9')
            ++digits;
        if (digits == 0 || digits > 2)
            continue;
        int level = line.left(digits).toInt();
        if (level < 1)
            continue;
        level = qMin(level, previousLevel + 1);
        ContentsLine entry;
        entry.level = level;
        QByteArray target;
        bool hasTarget = false;
        entry.text = splitText(line.mid(digits).trimmed(), target, hasTarget);
        if (hasTarget) {
            if (target.isEmpty())
                continue; // a topic line without its topic: nothing to open
            const qsizetype window = target.indexOf('>');
            if (window >= 0) {
                entry.window = target.mid(window + 1).trimmed();
                target.truncate(window);
            }
            const qsizetype file = target.indexOf('@');
            if (file >= 0) {
                entry.file = target.mid(file + 1).trimmed();
                target.truncate(file);
            }
            entry.context = target.trimmed();
            if (entry.context.isEmpty())
                continue;
        }
        previousLevel = level;
        contents.lines.push_back(entry);
    }
    return contents;
}

QByteArray formatContentsFile(const ContentsFile& contents)
{
    QByteArray out;
    if (!contents.base.isEmpty())
        out += ":Base " + contents.base + "\r\n";
    if (!contents.title.isEmpty())
        out += ":Title " + contents.title + "\r\n";
    for (const ContentsLine& line : contents.lines) {
        QByteArray text = line.text;
        text.replace('\r', ' ').replace('\n', ' ');
        text.replace("=", "\\=");
        out += QByteArray::number(line.level) + ' ' + text;
        if (!line.book()) {
            out += '=' + line.context;
            if (!line.file.isEmpty())
                out += '@' + line.file;
            if (!line.window.isEmpty())
                out += '>' + line.window;
        }
        out += "\r\n";
    }
    return out;
}

} // namespace hlp
