#include "publish/core/ProjectOptions.h"

#include "store/core/Blocks.h"
#include "store/core/HeaderBlock.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TextRules.h"

#include <climits>
#include <optional>

namespace publish {

QString defaultHelpTitle(const QString& projectFileName)
{
    return QStringLiteral("Aide de ") + store::fileNamePart(projectFileName).toLower();
}

QString topicFileName(const QString& projectFileName)
{
    return store::topicFileName(projectFileName);
}

namespace {

// Blanks and control characters at both ends, as the old readers trimmed.
QString trimControls(const QString& s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s[b].unicode() <= 32)
        ++b;
    while (e > b && s[e - 1].unicode() <= 32)
        --e;
    return s.mid(b, e - b);
}

std::optional<int> readInt(QStringView text)
{
    const auto v = store::parseInteger(text.trimmed());
    if (!v || *v < INT_MIN || *v > INT_MAX)
        return std::nullopt;
    return int(*v);
}

QString notAnInteger(const QString& line, QStringView piece)
{
    return QStringLiteral("La ligne « %1 » du projet est illisible : « %2 » n'est pas un nombre entier valide.")
        .arg(line, piece.toString());
}

// The numbers follow the first "(" after the window's caption. The caption is the text between
// the first and the last double quote: a title may itself hold quotes and brackets, and what the
// dialog wrote must read back.
qsizetype numbersStart(const QString& line)
{
    qsizetype from = 0;
    if (line.size() > 5 && line[5] == u'"') {
        const qsizetype close = line.lastIndexOf(u'"');
        if (close > 5)
            from = close + 1;
    }
    const qsizetype paren = line.indexOf(u'(', from);
    return paren >= 0 ? paren + 1 : 0;
}

// Reads up to four numbers; false with `error` only when the first or second is unreadable.
bool readMainLine(const QString& line, WindowPlace& place, QString& error)
{
    QStringView rest = QStringView(line).mid(numbersStart(line));
    int* const targets[4] = {&place.left, &place.top, &place.height, &place.width};
    for (int k = 0; k < 4; ++k) {
        const qsizetype sep = rest.indexOf(k < 3 ? u',' : u')');
        if (sep < 0)
            return true;
        const QStringView piece = rest.left(sep);
        const auto v = readInt(piece);
        if (!v) {
            if (k < 2) {
                error = notAnInteger(line, piece);
                return false;
            }
            return true; // a bad third number also leaves the fourth unread
        }
        *targets[k] = *v;
        rest = rest.mid(sep + 1);
    }
    return true;
}

} // namespace

OptionsScan scanOptions(const QStringList& lines, const QString& projectFileName, const WindowPlace& current)
{
    OptionsScan scan;
    scan.fields.place = current;
    const int open = store::findExact(lines, u"<HPJ>");
    if (open < 0)
        return scan;
    scan.blockFound = true;
    const QString fallbackTitle = defaultHelpTitle(projectFileName);
    OptionsFields& f = scan.fields;
    for (qsizetype i = open; i < lines.size(); ++i) {
        const QString line = trimControls(lines[i]);
        const QString upper = store::foldAscii(line);
        if (upper.startsWith(u"TITLE="))
            f.title = line.mid(6, MaxTitleLength);
        if (f.title.isEmpty())
            f.title = fallbackTitle;
        if (upper.startsWith(u"ICON=")) {
            f.icon = line.mid(5, MaxIconShown);
            scan.iconAsWritten = line.mid(5);
        }
        if (upper == u"BROWSEBUTTONS()")
            f.browseButtons = true;
        if (upper.startsWith(u"MAIN=") && !readMainLine(line, f.place, scan.error)) {
            scan.ok = false;
            scan.fields = OptionsFields{};
            scan.fields.place = current;
            return scan;
        }
        // Lines past the block belong to topics and popups, never to the options.
        if (upper.startsWith(u"<BLOC") || upper == u"</HPJ>")
            break;
    }
    return scan;
}

QString rgbText(quint32 word, const SystemColourResolver& resolve)
{
    if ((word & 0x80000000u) && resolve)
        word = resolve(word);
    return QStringLiteral("%1,%2,%3").arg(word & 0xFF).arg((word >> 8) & 0xFF).arg((word >> 16) & 0xFF);
}

QString mainWindowLine(const QString& title, const WindowPlace& p, quint32 mainColour, quint32 titleColour,
    const SystemColourResolver& resolve)
{
    return QStringLiteral("main=\"") + title + QStringLiteral("\",(") + QString::number(p.left) + u','
        + QString::number(p.top) + u',' + QString::number(p.height) + u',' + QString::number(p.width)
        + QStringLiteral("),0,(") + rgbText(mainColour, resolve) + QStringLiteral("),(")
        + rgbText(titleColour, resolve) + u')';
}

QStringList optionsBlock(const OptionsFields& f, const QString& topicFile, quint32 mainColour, quint32 titleColour,
    const SystemColourResolver& resolve)
{
    QStringList block{QStringLiteral("<HPJ>"), QStringLiteral("[OPTIONS]"), QStringLiteral("TITLE=") + f.title};
    const QString icon = store::TrimSpaces(f.icon);
    if (!icon.isEmpty())
        block << QStringLiteral("ICON=") + icon;
    block << QStringLiteral("[FILES]") << topicFile << QStringLiteral("[CONFIG]")
          << (f.browseButtons ? QStringLiteral("BrowseButtons()") : QString()) << QStringLiteral("[WINDOWS]")
          << mainWindowLine(f.title, f.place, mainColour, titleColour, resolve) << QStringLiteral("</HPJ>");
    return block;
}

void replaceProjectBlock(QStringList& lines, const QStringList& block)
{
    int at = store::findTag(lines, u"<HPJ>");
    if (at >= 0)
        store::removeBlock(lines, at, u"</HPJ>");
    else
        at = 0;
    QStringList out;
    out.reserve(lines.size() + block.size());
    out << lines.mid(0, at) << block << lines.mid(at);
    lines.swap(out);
}

} // namespace publish
