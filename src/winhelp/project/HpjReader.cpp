#include "winhelp/project/HpjReader.h"

#include "winhelp/project/ProjectFiles.h"
#include "platform/core/Cp1252.h"

#include <QFile>
#include <QFileInfo>

namespace hlp {

namespace {

enum class Section { None, Options, Files, Config, Windows, Map, Bitmaps, Ignored };

QString text(const QByteArray& bytes)
{
    return cp1252::decode(bytes);
}

// Strips a trailing comment from the lines where a ';' cannot be data.
QByteArray withoutComment(const QByteArray& line)
{
    const int semi = static_cast<int>(line.indexOf(';'));
    return (semi >= 0 ? line.left(semi) : line).trimmed();
}

bool parseNumber(QByteArray token, std::uint32_t& out)
{
    token = token.trimmed();
    bool ok = false;
    qlonglong v = 0;
    if (token.startsWith("0x") || token.startsWith("0X"))
        v = token.mid(2).toLongLong(&ok, 16);
    else
        v = token.toLongLong(&ok, 10);
    if (!ok || v < -2147483648LL || v > 0xFFFFFFFFLL)
        return false;
    out = static_cast<std::uint32_t>(v);
    return true;
}

// Splits "a b", "a=b" or "a\tb" into a name and the rest.
bool splitPair(const QByteArray& line, QByteArray& name, QByteArray& rest)
{
    int i = 0;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '=')
        ++i;
    name = line.left(i).trimmed();
    rest = line.mid(i).trimmed();
    if (rest.startsWith('='))
        rest = rest.mid(1).trimmed();
    return !name.isEmpty() && !rest.isEmpty();
}

// A (r,g,b) triple or a plain COLORREF number.
bool parseColour(const QByteArray& token, std::uint32_t& colour)
{
    QByteArray t = token.trimmed();
    if (t.startsWith('(') && t.endsWith(')')) {
        const QList<QByteArray> parts = t.mid(1, t.size() - 2).split(',');
        if (parts.size() != 3)
            return false;
        std::uint32_t rgb[3];
        for (int i = 0; i < 3; ++i) {
            if (!parseNumber(parts[i], rgb[i]) || rgb[i] > 255)
                return false;
        }
        colour = rgb[0] | (rgb[1] << 8) | (rgb[2] << 16);
        return true;
    }
    return parseNumber(t, colour);
}

// Splits on commas that are outside quotes and parentheses.
QList<QByteArray> splitTopLevel(const QByteArray& s)
{
    QList<QByteArray> out;
    QByteArray cur;
    int depth = 0;
    bool quoted = false;
    for (const char c : s) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == '(')
            ++depth;
        else if (!quoted && c == ')')
            --depth;
        if (c == ',' && depth == 0 && !quoted) {
            out << cur.trimmed();
            cur.clear();
        } else {
            cur.append(c);
        }
    }
    out << cur.trimmed();
    return out;
}

} // namespace

bool HpjReader::parseWindow(const QByteArray& name, const QByteArray& definition, WindowDef& window)
{
    window = WindowDef{};
    window.name = name.trimmed();
    if (window.name.isEmpty() || window.name.size() > 8)
        return false;
    const QList<QByteArray> parts = splitTopLevel(definition);
    if (parts.isEmpty())
        return false;
    for (int i = 0; i < parts.size(); ++i) {
        const QByteArray& p = parts[i];
        if (p.isEmpty())
            continue;
        switch (i) {
        case 0:
            if (p.size() < 2 || !p.startsWith('"') || !p.endsWith('"'))
                return false;
            window.caption = p.mid(1, p.size() - 2);
            break;
        case 1: {
            if (!p.startsWith('(') || !p.endsWith(')'))
                return false;
            const QList<QByteArray> n = p.mid(1, p.size() - 2).split(',');
            if (n.size() != 4)
                return false;
            int v[4];
            for (int k = 0; k < 4; ++k) {
                bool ok = false;
                v[k] = n[k].trimmed().toInt(&ok);
                if (!ok)
                    return false;
            }
            window.hasPosition = true;
            window.x = v[0];
            window.y = v[1];
            window.width = v[2];
            window.height = v[3];
            break;
        }
        case 2: {
            std::uint32_t m = 0;
            if (!parseNumber(p, m))
                return false;
            window.maximize = static_cast<int>(m);
            break;
        }
        case 3:
            if (!parseColour(p, window.colour))
                return false;
            window.hasColour = true;
            break;
        case 4:
            if (!parseColour(p, window.nonScrollColour))
                return false;
            window.hasNonScrollColour = true;
            break;
        case 5: {
            std::uint32_t top = 0;
            if (!parseNumber(p, top))
                return false;
            window.onTop = top & 1;
            break;
        }
        default:
            break; // later fields of newer compilers: not stored
        }
    }
    return true;
}

bool HpjReader::read(const QString& hpjPath, HelpProject& project, Diagnostics& diag)
{
    QFile f(hpjPath);
    if (!f.open(QIODevice::ReadOnly)) {
        diag.error(QStringLiteral("impossible de lire le fichier projet %1.").arg(quoted(hpjPath)));
        return false;
    }
    const QByteArray data = f.readAll();
    project.folder = QFileInfo(hpjPath).absolutePath();
    ProjectFiles files(project.folder);
    parse(data, project, diag, &files, QFileInfo(hpjPath).fileName());
    return true;
}

void HpjReader::parse(const QByteArray& data, HelpProject& project, Diagnostics& diag, ProjectFiles* files,
                      const QString& fileLabel)
{
    const QString label = fileLabel.isEmpty() ? QStringLiteral("du fichier projet") : QStringLiteral("de ") + fileLabel;
    auto unreadable = [&](int lineNo, const QByteArray& line, const QString& why) {
        diag.warning(QStringLiteral("ligne %1 %2 illisible, ignorée (%3) : %4")
                         .arg(lineNo)
                         .arg(label, why, quoted(text(line))));
    };

    const QList<QByteArray> lines = data.split('\n');
    Section section = Section::None;
    int lineNo = 0;
    for (QByteArray raw : lines) {
        ++lineNo;
        if (raw.endsWith('\r'))
            raw.chop(1);
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith("//"))
            continue;
        if (line.startsWith('[')) {
            const int close = static_cast<int>(line.indexOf(']'));
            if (close < 0) {
                unreadable(lineNo, line, QStringLiteral("crochet fermant manquant"));
                section = Section::Ignored;
                continue;
            }
            const QByteArray name = line.mid(1, close - 1).trimmed().toUpper();
            if (name == "OPTIONS")
                section = Section::Options;
            else if (name == "FILES")
                section = Section::Files;
            else if (name == "CONFIG" || name.startsWith("CONFIG:"))
                section = Section::Config;
            else if (name == "WINDOWS")
                section = Section::Windows;
            else if (name == "MAP")
                section = Section::Map;
            else if (name == "BITMAPS")
                section = Section::Bitmaps;
            else {
                section = Section::Ignored;
                diag.warning(QStringLiteral("la section [%1] du fichier projet n'est pas prise en charge ; elle est ignorée.")
                                 .arg(text(line.mid(1, close - 1).trimmed())));
            }
            continue;
        }

        switch (section) {
        case Section::None:
            unreadable(lineNo, line, QStringLiteral("hors de toute section"));
            break;
        case Section::Ignored:
            break;
        case Section::Options: {
            const int eq = static_cast<int>(line.indexOf('='));
            if (eq <= 0) {
                unreadable(lineNo, line, QStringLiteral("signe = manquant"));
                break;
            }
            const QByteArray key = line.left(eq).trimmed().toUpper();
            const QByteArray value = line.mid(eq + 1).trimmed();
            if (key == "TITLE") {
                project.title = value;
            } else if (key == "COPYRIGHT") {
                project.copyright = value;
            } else if (key == "CITATION") {
                project.citation = value;
            } else if (key == "CONTENTS" || key == "INDEX") {
                project.contents = withoutComment(value);
            } else if (key == "ICON") {
                project.icon = text(withoutComment(value));
            } else if (key == "LCID") {
                std::uint32_t lcid = 0;
                const QByteArray first = withoutComment(value).simplified().split(' ').value(0);
                if (!parseNumber(first, lcid) || lcid > 0xFFFF)
                    unreadable(lineNo, line, QStringLiteral("identifiant de langue non reconnu"));
                else {
                    project.hasLcid = true;
                    project.lcid = static_cast<std::uint16_t>(lcid);
                }
            } else if (key == "ROOT" || key == "BMROOT") {
                QByteArray v = value; // ';' separates folders here
                v.replace(';', ',');
                for (const QByteArray& folder : v.split(',')) {
                    if (folder.trimmed().isEmpty())
                        continue;
                    (key == "ROOT" ? project.rootFolders : project.bitmapFolders) << text(folder.trimmed());
                }
            } else if (key == "COMPRESS" || key == "ERRORLOG" || key == "REPORT" || key == "WARNING" || key == "OLDKEYPHRASE"
                       || key == "CNT" || key == "HLP" || key == "NOTES" || key == "OPTCDROM" || key == "TMPDIR"
                       || key == "VERSION" || key == "HCW" || key == "DBCS" || key == "FTS" || key == "REVISIONS"
                       || key == "CHARSET" || key == "DEFFONT" || key == "BUILD" || key == "MULTIKEY" || key == "FORCEFONT"
                       || key == "MAPFONTSIZE" || key == "PREFIX" || key == "REPLACE" || key == "IGNORE") {
                // Options of the Microsoft compiler that do not change what this compiler writes.
            } else {
                diag.warning(QStringLiteral("l'option %1 du fichier projet n'est pas prise en charge ; elle est ignorée.")
                                 .arg(quoted(text(line.left(eq).trimmed()))));
            }
            break;
        }
        case Section::Files:
            if (line.startsWith("#include"))
                project.files << text(withoutComment(line.mid(8)).replace('"', "").replace('<', "").replace('>', ""));
            else
                project.files << text(withoutComment(line));
            break;
        case Section::Bitmaps:
            project.bitmaps << text(withoutComment(line));
            break;
        case Section::Config:
            project.configMacros << line;
            break;
        case Section::Windows: {
            const int eq = static_cast<int>(line.indexOf('='));
            WindowDef w;
            if (eq <= 0 || !parseWindow(line.left(eq), line.mid(eq + 1), w)) {
                unreadable(lineNo, line, QStringLiteral("définition de fenêtre non reconnue"));
                break;
            }
            project.windows.push_back(w);
            break;
        }
        case Section::Map: {
            QByteArray l = line;
            const int comment = static_cast<int>(l.indexOf("//"));
            if (comment >= 0)
                l = l.left(comment).trimmed();
            if (l.startsWith("#include")) {
                QByteArray name = l.mid(8).trimmed();
                name.replace('"', "").replace('<', "").replace('>', "");
                const QString path = files ? files->find(text(name)) : QString();
                QFile inc(path);
                if (path.isEmpty() || !inc.open(QIODevice::ReadOnly)) {
                    diag.error(QStringLiteral("le fichier %1 inclus dans [MAP] est introuvable.").arg(quoted(text(name))));
                    break;
                }
                HelpProject sub;
                parse(QByteArray("[MAP]\n").append(inc.readAll()), sub, diag, files, QFileInfo(path).fileName());
                for (const MapEntry& e : sub.map)
                    project.map.push_back(e);
                break;
            }
            if (l.startsWith("#define"))
                l = l.mid(7).trimmed();
            QByteArray name, rest;
            std::uint32_t number = 0;
            if (!splitPair(l, name, rest) || !parseNumber(rest.simplified().split(' ').value(0), number)) {
                unreadable(lineNo, line, QStringLiteral("numéro de contexte manquant"));
                break;
            }
            project.map.push_back({name, number, lineNo});
            break;
        }
        }
    }
}

} // namespace hlp
