#include "winhelp/project/HpjReader.h"

#include "winhelp/project/ProjectFiles.h"

#include <QFile>
#include <QFileInfo>

namespace hlp {

namespace {

enum class Section { None, Options, Files, Config, Windows, Map, Alias, Baggage, Bitmaps, Ignored };

// Strips a trailing comment from the lines where a ';' cannot be data.
QByteArray withoutComment(const QByteArray& line)
{
    const int semi = static_cast<int>(line.indexOf(';'));
    return (semi >= 0 ? line.left(semi) : line).trimmed();
}

// [MAP], [WINDOWS] and included C headers end lines with ; or // comments, which may not start
// inside quotes (a window's caption).
QByteArray withoutMapComment(const QByteArray& line)
{
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == ';' || (c == '/' && i + 1 < line.size() && line[i + 1] == '/')))
            return line.left(i).trimmed();
    }
    return line.trimmed();
}

bool parseInteger(const QByteArray& token, std::uint32_t& out)
{
    return HpjReader::parseMapNumber(token, {}, out);
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

QByteArray includedName(QByteArray name)
{
    return name.trimmed().replace('"', "").replace('<', "").replace('>', "").trimmed();
}

// CHARSET= takes the number of a Windows character set, or its name.
int parseCharset(const QByteArray& value)
{
    static const std::pair<const char*, int> names[] = {
        {"ANSI", 0}, {"DEFAULT", 1}, {"SYMBOL", 2}, {"SHIFTJIS", 128}, {"HANGEUL", 129}, {"HANGUL", 129},
        {"GB2312", 134}, {"CHINESEBIG5", 136}, {"GREEK", 161}, {"TURKISH", 162}, {"VIETNAMESE", 163},
        {"HEBREW", 177}, {"ARABIC", 178}, {"BALTIC", 186}, {"RUSSIAN", 204}, {"THAI", 222}, {"EASTEUROPE", 238}};
    std::uint32_t n = 0;
    if (parseInteger(value, n))
        return n <= 255 ? static_cast<int>(n) : -1;
    QByteArray v = value.toUpper();
    v.replace("_CHARSET", "");
    for (const auto& [name, number] : names) {
        if (v == name)
            return number;
    }
    return -1;
}

// COMPRESS=: OFF, NO, FALSE or 0 ask for none; any other level asks for compression. Phrase
// compression (HIGH, the Hall bit) is given by LZ77 alone, which every viewer reads.
int parseCompress(const QByteArray& value)
{
    const QByteArray v = value.simplified().toUpper();
    const QByteArray first = v.split(' ').value(0);
    if (first == "OFF" || first == "NO" || first == "FALSE" || first == "NONE")
        return 0;
    if (first == "ON" || first == "YES" || first == "TRUE" || first == "LOW" || first == "MEDIUM" || first == "HIGH"
        || first == "MAX" || first == "MAXIMUM")
        return 1;
    std::uint32_t n = 0;
    if (parseInteger(first, n))
        return n != 0 ? 1 : 0;
    return -1;
}

// The code page the project states, looked for before anything else so that every message,
// those about the project file included, shows its names right.
int statedCharset(const QByteArray& data)
{
    bool options = false;
    int fromLanguage = -1;
    for (QByteArray line : data.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            options = line.toUpper().startsWith("[OPTIONS]");
            continue;
        }
        const int eq = static_cast<int>(line.indexOf('='));
        if (!options || eq <= 0)
            continue;
        const QByteArray key = line.left(eq).trimmed().toUpper();
        const QByteArray value = withoutComment(line.mid(eq + 1));
        if (key == "CHARSET") {
            const int c = parseCharset(value);
            if (c >= 0)
                return c;
        } else if (key == "LCID") {
            std::uint32_t lcid = 0;
            if (parseInteger(value.simplified().split(' ').value(0), lcid) && lcid <= 0xFFFF)
                fromLanguage = CodePage::charsetForLanguage(static_cast<std::uint16_t>(lcid));
        }
    }
    return fromLanguage;
}

class HpjParser {
public:
    HpjParser(HelpProject& project, Diagnostics& diag, ProjectFiles* files) : m_project(project), m_diag(diag), m_files(files) {}
    void parse(const QByteArray& data, const QString& fileLabel, bool mapOnly);

private:
    void unreadable(int lineNo, const QByteArray& line, const QString& why);
    void option(int lineNo, const QByteArray& line);
    void mapLine(int lineNo, const QByteArray& line, bool header);
    void include(const QByteArray& name, bool header);
    QString text(const QByteArray& bytes) const { return m_diag.text(bytes); }

    HelpProject& m_project;
    Diagnostics& m_diag;
    ProjectFiles* m_files;
    QString m_label;
    int m_depth = 0;
};

void HpjParser::unreadable(int lineNo, const QByteArray& line, const QString& why)
{
    m_diag.warning(QStringLiteral("ligne %1 %2 illisible (%3) ; elle est laissée de côté : %4")
                       .arg(lineNo)
                       .arg(m_label, why, quoted(text(line))));
}

void HpjParser::option(int lineNo, const QByteArray& line)
{
    const int eq = static_cast<int>(line.indexOf('='));
    if (eq <= 0) {
        unreadable(lineNo, line, QStringLiteral("signe = manquant"));
        return;
    }
    const QByteArray key = line.left(eq).trimmed().toUpper();
    const QByteArray value = line.mid(eq + 1).trimmed();
    if (key == "TITLE") {
        m_project.title = value;
    } else if (key == "COPYRIGHT") {
        m_project.copyright = value;
    } else if (key == "CITATION") {
        m_project.citation = value;
    } else if (key == "CONTENTS" || key == "INDEX") {
        m_project.contents = withoutComment(value);
    } else if (key == "ICON") {
        m_project.icon = text(withoutComment(value));
    } else if (key == "LCID") {
        const QList<QByteArray> numbers = withoutComment(value).simplified().split(' ');
        std::uint32_t lcid = 0, extra[2] = {0, 0};
        bool ok = parseInteger(numbers.value(0), lcid) && lcid <= 0xFFFF;
        for (int i = 0; ok && i < 2 && i + 1 < numbers.size(); ++i)
            ok = parseInteger(numbers[i + 1], extra[i]) && extra[i] <= 0xFFFF;
        if (!ok) {
            unreadable(lineNo, line, QStringLiteral("identifiant de langue non reconnu"));
            return;
        }
        m_project.hasLcid = true;
        m_project.lcid = static_cast<std::uint16_t>(lcid);
        m_project.lcidExtra[0] = static_cast<std::uint16_t>(extra[0]);
        m_project.lcidExtra[1] = static_cast<std::uint16_t>(extra[1]);
    } else if (key == "CHARSET") {
        const int charset = parseCharset(withoutComment(value));
        if (charset < 0)
            unreadable(lineNo, line, QStringLiteral("jeu de caractères non reconnu"));
        else
            m_project.charset = charset;
    } else if (key == "COMPRESS") {
        const int compress = parseCompress(withoutComment(value));
        if (compress < 0)
            unreadable(lineNo, line, QStringLiteral("niveau de compression non reconnu ; le fichier ne sera pas compressé"));
        else
            m_project.compress = compress == 1;
    } else if (key == "ROOT" || key == "BMROOT") {
        QByteArray v = value; // ';' separates folders here
        v.replace(';', ',');
        for (const QByteArray& folder : v.split(',')) {
            if (folder.trimmed().isEmpty())
                continue;
            (key == "ROOT" ? m_project.rootFolders : m_project.bitmapFolders) << text(folder.trimmed());
        }
    } else if (key == "ERRORLOG" || key == "REPORT" || key == "WARNING" || key == "OLDKEYPHRASE" || key == "CNT" || key == "HLP"
               || key == "NOTES" || key == "OPTCDROM" || key == "TMPDIR" || key == "VERSION" || key == "HCW" || key == "DBCS"
               || key == "FTS" || key == "REVISIONS" || key == "DEFFONT" || key == "BUILD" || key == "MULTIKEY"
               || key == "FORCEFONT" || key == "MAPFONTSIZE" || key == "PREFIX" || key == "REPLACE" || key == "IGNORE") {
        // Options of the Microsoft compiler that do not change what this compiler writes.
    } else {
        m_diag.warning(QStringLiteral("l'option %1 du fichier projet n'est pas prise en charge ; elle est ignorée.")
                           .arg(quoted(text(line.left(eq).trimmed()))));
    }
}

void HpjParser::include(const QByteArray& rawName, bool header)
{
    const QByteArray name = includedName(rawName);
    const QString path = m_files ? m_files->find(text(name)) : QString();
    QFile inc(path);
    if (path.isEmpty() || !inc.open(QIODevice::ReadOnly)) {
        m_diag.error(QStringLiteral("le fichier %1 inclus dans [MAP] est introuvable.").arg(quoted(text(name))));
        return;
    }
    if (m_depth >= 8) {
        m_diag.error(QStringLiteral("le fichier %1 est inclus dans lui-même ou trop profondément.").arg(quoted(text(name))));
        return;
    }
    const QString label = m_label;
    ++m_depth;
    parse(inc.readAll(), QStringLiteral("de ") + QFileInfo(path).fileName(), true);
    --m_depth;
    m_label = label;
    (void)header;
}

// One line of [MAP], or of a file it includes. In an included C header (`header`), lines that are
// no definition of a number (#ifndef, #endif, declarations) are part of the header, not mistakes.
void HpjParser::mapLine(int lineNo, const QByteArray& line, bool header)
{
    QByteArray l = withoutMapComment(line);
    if (l.isEmpty())
        return;
    if (l.startsWith("#include")) {
        include(l.mid(8), true);
        return;
    }
    const bool define = l.startsWith("#define");
    if (define)
        l = l.mid(7).trimmed();
    else if (l.startsWith('#'))
        return; // #ifndef, #endif, #pragma ...
    QByteArray name, rest;
    std::uint32_t number = 0;
    bool ok = splitPair(l, name, rest);
    if (ok && !HpjReader::parseMapNumber(rest, m_project.map, number))
        ok = HpjReader::parseMapNumber(rest.simplified().split(' ').value(0), m_project.map, number);
    if (!ok) {
        if (!header)
            unreadable(lineNo, line, QStringLiteral("numéro de contexte manquant"));
        return;
    }
    m_project.map.push_back({name, number, lineNo});
}

void HpjParser::parse(const QByteArray& data, const QString& fileLabel, bool mapOnly)
{
    m_label = fileLabel.isEmpty() ? QStringLiteral("du fichier projet") : fileLabel;
    const QList<QByteArray> lines = data.split('\n');
    Section section = mapOnly ? Section::Map : Section::None;
    bool inBlockComment = false;
    int lineNo = 0;
    for (QByteArray raw : lines) {
        ++lineNo;
        if (raw.endsWith('\r'))
            raw.chop(1);
        QByteArray line = raw.trimmed();
        if (mapOnly) {
            // C headers: /* ... */ comments, possibly over several lines.
            if (inBlockComment) {
                const int close = static_cast<int>(line.indexOf("*/"));
                if (close < 0)
                    continue;
                line = line.mid(close + 2).trimmed();
                inBlockComment = false;
            }
            for (int open = static_cast<int>(line.indexOf("/*")); open >= 0; open = static_cast<int>(line.indexOf("/*"))) {
                const int close = static_cast<int>(line.indexOf("*/", open + 2));
                if (close < 0) {
                    line = line.left(open).trimmed();
                    inBlockComment = true;
                    break;
                }
                line = QByteArray(line.left(open) + ' ' + line.mid(close + 2)).trimmed();
            }
            mapLine(lineNo, line, true);
            continue;
        }
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
            else if (name == "ALIAS")
                section = Section::Alias;
            else if (name == "BAGGAGE")
                section = Section::Baggage;
            else if (name == "BITMAPS")
                section = Section::Bitmaps;
            else {
                section = Section::Ignored;
                m_diag.warning(QStringLiteral("la section [%1] du fichier projet n'est pas prise en charge ; elle est ignorée.")
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
        case Section::Options:
            option(lineNo, line);
            break;
        case Section::Files:
            if (line.startsWith("#include"))
                m_project.files << text(includedName(withoutComment(line.mid(8))));
            else if (line.startsWith('"') && line.indexOf('"', 1) > 0)
                m_project.files << text(line.mid(1, line.indexOf('"', 1) - 1)); // a name with ';' in it
            else
                m_project.files << text(withoutComment(line));
            break;
        case Section::Bitmaps:
            m_project.bitmaps << text(withoutComment(line));
            break;
        case Section::Baggage:
            if (!withoutComment(line).isEmpty())
                m_project.baggage << text(withoutComment(line));
            break;
        case Section::Config:
            m_project.configMacros << line;
            break;
        case Section::Windows: {
            const QByteArray l = withoutMapComment(line);
            const int eq = static_cast<int>(l.indexOf('='));
            WindowDef w;
            QString bad;
            if (eq <= 0 || !HpjReader::parseWindow(l.left(eq), l.mid(eq + 1), w, &bad)) {
                if (eq <= 0 || w.name.isEmpty() || w.name.size() > 8) {
                    unreadable(lineNo, line, QStringLiteral("définition de fenêtre non reconnue"));
                    break;
                }
                // The window exists for the jumps that name it; only the unreadable field is left to the viewer.
                m_diag.warning(QStringLiteral("ligne %1 %2 : champ « %3 » de la fenêtre %4 illisible ; le visualiseur en décide.")
                                   .arg(lineNo)
                                   .arg(m_label, bad, quoted(text(w.name))));
            }
            m_project.windows.push_back(w);
            break;
        }
        case Section::Map:
            mapLine(lineNo, line, false);
            break;
        case Section::Alias: {
            QByteArray alias, context;
            if (!splitPair(withoutComment(line), alias, context) || context.contains(' ')) {
                unreadable(lineNo, line, QStringLiteral("alias = chaîne de contexte attendu"));
                break;
            }
            m_project.aliases.push_back({alias, context, lineNo});
            break;
        }
        }
    }
}

} // namespace

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

void HpjReader::parse(const QByteArray& data, HelpProject& project, Diagnostics& diag, ProjectFiles* files, const QString& fileLabel)
{
    const int charset = statedCharset(data);
    if (charset >= 0)
        diag.setCodePage(CodePage::forCharset(charset));
    HpjParser parser(project, diag, files);
    parser.parse(data, fileLabel.isEmpty() ? QString() : QStringLiteral("de ") + fileLabel, false);
}

} // namespace hlp
