// A help as a project file: which topics are pages and which are popups, their order and levels,
// their titles (each must give its own context string, "IDH_" and the ASCII letters and digits of
// the title), and the blocks in the order a new project has them: header, project, pages, popups.
#include "winhelp/writer/ProjectWriter.h"

#include "platform/core/Cp1252.h"
#include "platform/core/SafeFile.h"
#include "winhelp/model/TopicLinks.h"
#include "winhelp/writer/ProjectParts.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace hlp {

namespace {

constexpr int kMaxBlocks = 10000; // four digits in the tags
constexpr int kMaxKeywordLine = 255;
constexpr char kTitleEnd = '\x01';
constexpr char kParagraphMark = '\xB6';

QByteArray number4(int n)
{
    return QByteArray::number(n).rightJustified(4, '0');
}

QByteArray alnumOnly(QByteArrayView s)
{
    QByteArray out;
    for (const char c : s)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            out += c;
    return out;
}

QByteArray withoutControls(QByteArrayView s)
{
    QByteArray out;
    for (const char c : s)
        if (static_cast<unsigned char>(c) >= 32)
            out += c;
    return out;
}

// A title line, a keyword or an option value holds no control character; a title keeps a
// backslash or brace as topic text does.
QByteArray titleText(QByteArrayView title)
{
    QByteArray out;
    project::appendTopicText(out, withoutControls(title));
    return out.replace("\\'b6", "\xB6");
}

constexpr qsizetype kLongestHeading = 80;

// The title of a topic that has none: its first paragraph, when it is short enough to be one.
QByteArray headingOf(const Topic& topic)
{
    if (topic.paragraphs.empty() || topic.paragraphs.front().row >= 0)
        return {};
    const QByteArray text = withoutControls(project::paragraphText(topic.paragraphs.front()).simplified());
    return text.size() <= kLongestHeading ? text : QByteArray();
}

// Names of context strings and macros: the words a macro may name a topic with.
void macroWords(QByteArrayView macro, QSet<QByteArray>& words)
{
    QByteArray word;
    for (const char c : macro) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.') {
            word += c;
            continue;
        }
        if (!word.isEmpty())
            words.insert(project::LinkNames::lower(word));
        word.clear();
    }
    if (!word.isEmpty())
        words.insert(project::LinkNames::lower(word));
}

QByteArray colour(std::uint32_t bgr)
{
    return '(' + QByteArray::number(bgr & 0xFF) + ',' + QByteArray::number((bgr >> 8) & 0xFF) + ','
        + QByteArray::number((bgr >> 16) & 0xFF) + ')';
}

// A [WINDOWS] line in the form the compiler reads; fields the help leaves to the viewer stay empty.
QByteArray windowLine(const WindowDef& w)
{
    QList<QByteArray> fields;
    QByteArray caption = withoutControls(w.caption);
    caption.replace('"', '\'');
    fields << '"' + caption + '"';
    if (w.hasPosition()) {
        const auto n = [](bool has, int v) { return has ? QByteArray::number(v) : QByteArray(); };
        fields << '(' + n(w.hasX, w.x) + ',' + n(w.hasY, w.y) + ',' + n(w.hasWidth, w.width) + ',' + n(w.hasHeight, w.height) + ')';
    } else {
        fields << QByteArray();
    }
    fields << QByteArray::number(w.maximize);
    fields << (w.hasColour ? colour(w.colour) : QByteArray());
    fields << (w.hasNonScrollColour ? colour(w.nonScrollColour) : QByteArray());
    const int flags = (w.onTop ? 1 : 0) | (w.autoSizeHeight ? 2 : 0);
    fields << (flags ? 'f' + QByteArray::number(flags) : QByteArray());
    while (fields.size() > 1 && fields.back().isEmpty())
        fields.removeLast();
    return w.name + '=' + fields.join(',');
}

class ProjectMaker {
public:
    ProjectMaker(const LoadedHelp& help, const QString& projectFile)
        : m_help(help), m_doc(help.document), m_links(help.document, help.aliases), m_projectFile(projectFile)
    {
    }
    HelpProjectFile make();

private:
    void choose();
    void nameTopics();
    void projectBlock();
    void pageBlock(int number, int topic);
    void popupBlock(int number, int topic);
    QByteArray keywordLine(int topic);
    QList<QByteArray> aliases();
    void baggage();

    const LoadedHelp& m_help;
    const HelpDocument& m_doc;
    project::LinkNames m_links;
    QString m_projectFile;
    HelpProjectFile m_out;
    std::vector<int> m_pages, m_popups; // topic indexes in project order
    std::vector<int> m_level;           // by topic
    std::vector<QByteArray> m_title;    // by topic: the title line's text
    std::vector<QString> m_pictures;    // by picture: the file placed
    int m_lostKeywords = 0;
};

// Pages: the contents topic first, then the topics of the contents file in its order (level 2
// below its top), then every other topic in the help's order. Popups: the topics that only popups
// open, with no title and no keyword, that the contents file does not name.
void ProjectMaker::choose()
{
    const size_t n = m_doc.topics.size();
    m_level.assign(n, 1);
    std::vector<bool> inContents(n, false), placed(n, false);
    std::vector<std::pair<int, int>> listed; // topic, level
    for (const ContentsLine& line : m_help.contents.lines) {
        if (line.book() || !line.file.isEmpty())
            continue;
        if (const int t = m_links.topic(line.context); t >= 0 && !inContents[static_cast<size_t>(t)]) {
            inContents[static_cast<size_t>(t)] = true;
            listed.push_back({t, line.level > 1 ? 2 : 1});
        }
    }
    const std::vector<bool> popupOnly
        = popupOnlyTopics(m_doc, m_help.contentsTopic, [this](QByteArrayView c) { return m_links.topic(c); });
    std::vector<bool> popup(n, false);
    for (size_t t = 0; t < n; ++t) {
        const Topic& topic = m_doc.topics[t];
        popup[t] = popupOnly[t] && !inContents[t] && topic.keywords.isEmpty() && topic.title.trimmed().isEmpty();
    }
    const auto page = [&](int t, int level) {
        if (popup[static_cast<size_t>(t)] || placed[static_cast<size_t>(t)])
            return;
        placed[static_cast<size_t>(t)] = true;
        m_level[static_cast<size_t>(t)] = level;
        m_pages.push_back(t);
    };
    if (m_help.contentsTopic >= 0 && static_cast<size_t>(m_help.contentsTopic) < n)
        page(m_help.contentsTopic, 1);
    for (const auto& [t, level] : listed)
        page(t, level);
    for (size_t t = 0; t < n; ++t) {
        page(static_cast<int>(t), 1);
        if (popup[t])
            m_popups.push_back(static_cast<int>(t));
    }
}

// Every page gets a title whose key no other page has: a topic without a title takes its name,
// a title whose key is taken gets a number.
void ProjectMaker::nameTopics()
{
    m_title.assign(m_doc.topics.size(), QByteArray());
    QSet<QByteArray> keys;
    int untitled = 0, renamed = 0;
    for (size_t i = 0; i < m_pages.size(); ++i) {
        const int t = m_pages[i];
        const Topic& topic = m_doc.topics[static_cast<size_t>(t)];
        QByteArray title = withoutControls(topic.title);
        if (title.trimmed().isEmpty()) {
            ++untitled;
            title = headingOf(topic);
            if (title.isEmpty())
                title = topic.contexts.isEmpty() ? "Rubrique " + QByteArray::number(i + 1) : withoutControls(topic.contexts.front());
        }
        QByteArray chosen = title;
        for (int k = 2; keys.contains(project::LinkNames::lower(alnumOnly(chosen))); ++k)
            chosen = title + " (" + QByteArray::number(k) + ')';
        renamed += chosen != title;
        keys.insert(project::LinkNames::lower(alnumOnly(chosen)));
        m_title[static_cast<size_t>(t)] = chosen;
        m_links.setHidden(t, "IDH_" + alnumOnly(chosen));
    }
    for (size_t i = 0; i < m_popups.size(); ++i)
        m_links.setHidden(m_popups[i], "Pp" + number4(static_cast<int>(i)));
    if (untitled)
        m_out.warnings << QStringLiteral("%1 rubrique(s) sans titre prennent pour titre leur premier paragraphe (ou leur nom).")
                              .arg(untitled);
    if (renamed)
        m_out.warnings << QStringLiteral("%1 titre(s) déjà porté(s) par une autre rubrique (aux lettres et chiffres près) "
                                         "reçoivent un numéro, pour que chaque rubrique garde ses liens.")
                              .arg(renamed);
}

QByteArray ProjectMaker::keywordLine(int t)
{
    QByteArray list;
    for (const QByteArray& k : m_doc.topics[static_cast<size_t>(t)].keywords) {
        QByteArray word = withoutControls(k);
        // The keyword line keeps no backslash (it starts the see-also link), ';' parts keywords,
        // and a brace would open a group in the topic file.
        word.replace('\\', "").replace(';', ',').replace('{', '(').replace('}', ')');
        word = word.trimmed();
        if (word.isEmpty())
            continue;
        if (list.size() + (list.isEmpty() ? 0 : 1) + word.size() > kMaxKeywordLine) {
            ++m_lostKeywords;
            continue;
        }
        if (!list.isEmpty())
            list += ';';
        list += word;
    }
    return QByteArray::number(m_level[static_cast<size_t>(t)]) + list + '\\';
}

void ProjectMaker::pageBlock(int number, int t)
{
    const Topic& topic = m_doc.topics[static_cast<size_t>(t)];
    m_out.lines << "<BLOC" + number4(number) + '>' << keywordLine(t);
    QByteArray title = titleText(m_title[static_cast<size_t>(t)]);
    if (title.trimmed().startsWith('<'))
        title.prepend("{}"); // a title a reader would take for a tag
    m_out.lines << title + kTitleEnd;
    // The topic file sets the title at the top of the page: a first paragraph that repeats it goes.
    const QByteArray shown = topic.title.trimmed().isEmpty() ? headingOf(topic) : withoutControls(topic.title).simplified();
    size_t first = 0;
    if (!shown.isEmpty() && !topic.paragraphs.empty() && topic.paragraphs.front().row < 0
        && withoutControls(project::paragraphText(topic.paragraphs.front()).simplified()) == shown)
        first = 1;
    m_out.lines << project::bodyLines(topic, first, m_links, m_pictures, false);
    m_out.lines << "</BLOC" + number4(number) + '>';
}

void ProjectMaker::popupBlock(int number, int t)
{
    QList<QByteArray> text = project::bodyLines(m_doc.topics[static_cast<size_t>(t)], 0, m_links, m_pictures, true);
    if (text.isEmpty())
        text << QByteArray(1, kParagraphMark);
    QByteArray heading = text.front();
    if (heading.endsWith(kParagraphMark))
        heading.chop(1);
    m_out.lines << "<POPUP" + number4(number) + '>' << heading + number4(number) + kTitleEnd << text;
    m_out.lines << "</POPUP" + number4(number) + '>';
}

// The names that picture hot spots and macros give topics by: each leads on to the topic's new name.
QList<QByteArray> ProjectMaker::aliases()
{
    QSet<QByteArray> named;
    for (const QByteArray& m : m_help.project.configMacros)
        macroWords(m, named);
    for (const Topic& topic : m_doc.topics)
        for (const Paragraph& p : topic.paragraphs)
            for (const Item& it : p.items)
                if (it.kind == ItemKind::HotspotBegin && it.link == LinkKind::Macro)
                    macroWords(it.text, named);
    for (size_t i = 0; i < m_doc.pictures.size() && i < m_pictures.size(); ++i) {
        if (m_pictures[i].isEmpty())
            continue;
        for (const PictureHotspot& h : m_doc.pictures[i].hotspots) {
            if (h.link == LinkKind::Macro)
                macroWords(h.target, named);
            else
                named.insert(project::LinkNames::lower(h.target));
        }
    }
    QSet<QByteArray> names; // the project's own context strings, which no alias may take
    for (const int t : m_pages)
        names.insert(project::LinkNames::lower(m_links.hidden(t)));
    for (const int t : m_popups)
        names.insert(project::LinkNames::lower(m_links.hidden(t)));
    QList<QByteArray> out;
    QSet<QByteArray> done;
    const auto alias = [&](const QByteArray& old, int t) {
        const QByteArray key = project::LinkNames::lower(old);
        if (t < 0 || m_links.hidden(t).isEmpty() || !named.contains(key) || names.contains(key) || done.contains(key))
            return;
        // A context string is letters, digits, '_' and '.'.
        if (alnumOnly(old).size() + old.count('_') + old.count('.') != old.size())
            return;
        done.insert(key);
        out << old + '=' + m_links.hidden(t);
    };
    for (size_t t = 0; t < m_doc.topics.size(); ++t)
        for (const QByteArray& c : m_doc.topics[t].contexts)
            alias(c, static_cast<int>(t));
    for (const auto& [name, t] : m_help.aliases)
        alias(name, t);
    return out;
}

// The files of [BAGGAGE] keep their names: the help's macros open them by name. A name that is
// not a plain file name, or that the project's own files take, cannot be kept.
void ProjectMaker::baggage()
{
    const QString base = QFileInfo(m_projectFile).completeBaseName().toLower();
    QSet<QString> taken{base + QStringLiteral(".hpa"), base + QStringLiteral(".hpj"), base + QStringLiteral(".rtf"),
        base + QStringLiteral(".hlp")};
    for (const ProjectSideFile& f : m_out.files)
        taken.insert(f.name.toLower());
    QList<QByteArray> names;
    for (const auto& [name, bytes] : m_help.baggage) {
        const QString file = QString::fromLatin1(name);
        if (file.isEmpty() || file.contains(u'/') || file.contains(u'\\') || file.startsWith(u'.') || file.contains(u':')
            || taken.contains(file.toLower())) {
            m_out.warnings << QStringLiteral("le fichier joint « %1 » ne peut pas être écrit sous son nom à côté du projet ; "
                                             "il est omis.")
                                  .arg(file);
            continue;
        }
        taken.insert(file.toLower());
        m_out.files.push_back({file, bytes});
        names << name;
    }
    if (!names.isEmpty())
        m_out.lines << "[BAGGAGE]" << names;
}

void ProjectMaker::projectBlock()
{
    const HelpProject& p = m_help.project;
    m_out.lines << "<HPJ>" << "[OPTIONS]" << "TITLE=" + withoutControls(p.title);
    if (!p.copyright.isEmpty())
        m_out.lines << "COPYRIGHT=" + withoutControls(p.copyright);
    if (!p.citation.isEmpty())
        m_out.lines << "CITATION=" + withoutControls(p.citation);
    if (p.hasLcid)
        m_out.lines << "LCID=0x" + QByteArray::number(p.lcid, 16) + " 0x" + QByteArray::number(p.lcidExtra[0], 16) + " 0x"
                + QByteArray::number(p.lcidExtra[1], 16);
    if (p.compress || m_help.file.lz77)
        m_out.lines << "COMPRESS=HIGH";
    if (!m_help.icon.isEmpty()) {
        const QString icon = project::sideName(QFileInfo(m_projectFile).completeBaseName(), QStringLiteral(".ico"));
        m_out.files.push_back({icon, m_help.icon});
        m_out.lines << "ICON=" + icon.toLatin1();
    }
    m_out.lines << "[FILES]" << cp1252::encode(QString(QFileInfo(m_projectFile).completeBaseName().toLower() + QStringLiteral(".rtf")));
    m_out.lines << "[CONFIG]";
    if (p.configMacros.isEmpty())
        m_out.lines << QByteArray();
    for (const QByteArray& m : p.configMacros)
        m_out.lines << withoutControls(m);
    m_out.lines << "[WINDOWS]";
    for (const WindowDef& w : p.windows)
        if (!w.name.isEmpty() && w.name.size() <= 8 && alnumOnly(w.name).size() + w.name.count('_') == w.name.size())
            m_out.lines << windowLine(w);
    if (const QList<QByteArray> a = aliases(); !a.isEmpty())
        m_out.lines << "[ALIAS]" << a;
    baggage();
    // The map a save makes: page n is number n + 1.
    m_out.lines << "[MAP]";
    for (size_t i = 0; i < m_pages.size(); ++i)
        m_out.lines << m_links.hidden(m_pages[i]) + '\t' + QByteArray::number(i + 1);
    m_out.lines << "</HPJ>";
}

HelpProjectFile ProjectMaker::make()
{
    const int codePage = CodePage::forCharset(m_help.project.textCharset).number();
    if (codePage != 1252) {
        m_out.error = QStringLiteral("le texte de cette aide est dans la page de code %1 ; un projet Tyx Plumet ne contient que "
                                     "du texte en page de code 1252 (Europe occidentale) : aucun fichier n'est écrit.")
                          .arg(codePage);
        return std::move(m_out);
    }
    choose();
    if (m_pages.size() > size_t(kMaxBlocks) || m_popups.size() > size_t(kMaxBlocks)) {
        m_out.error = QStringLiteral("cette aide a %1 rubriques et %2 fenêtres surgissantes ; un projet en contient au plus "
                                     "10 000 de chaque : aucun fichier n'est écrit.")
                          .arg(m_pages.size())
                          .arg(m_popups.size());
        return std::move(m_out);
    }
    nameTopics();

    std::vector<bool> used(m_doc.pictures.size(), false);
    int macros = 0;
    const auto mark = [&](int t) {
        const Topic& topic = m_doc.topics[static_cast<size_t>(t)];
        macros += static_cast<int>(topic.macros.size());
        for (const Paragraph& p : topic.paragraphs)
            for (const Item& it : p.items)
                if (it.kind == ItemKind::Picture && it.picture >= 0 && static_cast<size_t>(it.picture) < used.size())
                    used[static_cast<size_t>(it.picture)] = true;
    };
    for (const int t : m_pages)
        mark(t);
    for (const int t : m_popups)
        mark(t);
    m_pictures = project::pictureFiles(m_doc, used, QFileInfo(m_projectFile).completeBaseName(), m_out.files, m_out.warnings);
    m_out.pictures = static_cast<int>(m_out.files.size());

    m_out.lines << "<HEADER>" << "MS Sans Serif" << "10" << "0" << "80000005" << "MS Sans Serif" << "10" << "0" << "80000005"
                << "</HEADER>";
    projectBlock();
    for (size_t i = 0; i < m_pages.size(); ++i)
        pageBlock(static_cast<int>(i), m_pages[i]);
    for (size_t i = 0; i < m_popups.size(); ++i)
        popupBlock(static_cast<int>(i), m_popups[i]);
    if (m_lostKeywords)
        m_out.warnings << QStringLiteral("%1 mot(s)-clé(s) au-delà des 255 caractères de la liste d'une rubrique sont omis.")
                              .arg(m_lostKeywords);
    if (macros)
        m_out.warnings << QStringLiteral("%1 macro(s) lancée(s) à l'ouverture d'une rubrique sont omises : le projet n'en a pas.")
                              .arg(macros);
    int windowMacros = 0;
    for (const WindowDef& w : m_help.project.windows)
        windowMacros += static_cast<int>(w.macros.size());
    if (windowMacros)
        m_out.warnings << QStringLiteral("%1 macro(s) lancée(s) à l'ouverture d'une fenêtre sont omises : le projet n'en a pas.")
                              .arg(windowMacros);
    int otherKeywords = 0;
    for (const int t : m_pages)
        for (const KeywordList& l : m_doc.topics[static_cast<size_t>(t)].otherKeywords)
            otherKeywords += static_cast<int>(l.keywords.size());
    if (otherKeywords)
        m_out.warnings << QStringLiteral("%1 mot(s)-clé(s) d'autres index que K (A-keywords...) sont omis : le projet n'a que "
                                         "l'index K.")
                              .arg(otherKeywords);
    m_out.topics = static_cast<int>(m_pages.size());
    m_out.popups = static_cast<int>(m_popups.size());
    return std::move(m_out);
}

} // namespace

QByteArray HelpProjectFile::bytes() const
{
    qsizetype size = 0;
    for (const QByteArray& l : lines)
        size += l.size() + 2;
    QByteArray out;
    out.reserve(size);
    for (const QByteArray& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

HelpProjectFile makeHelpProject(const LoadedHelp& help, const QString& projectFile)
{
    return ProjectMaker(help, projectFile).make();
}

bool writeHelpProject(const HelpProjectFile& project, const QString& hpaPath, QString* error)
{
    const QString folder = QFileInfo(hpaPath).absolutePath();
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("impossible de créer le dossier « %1 ».").arg(folder);
        return false;
    }
    safefile::FileSet set;
    bool ok = set.add(hpaPath, project.bytes());
    for (size_t i = 0; ok && i < project.files.size(); ++i)
        ok = set.add(QDir(folder).filePath(project.files[i].name), project.files[i].bytes);
    ok = ok && set.commit();
    if (!ok) {
        if (error)
            *error = QStringLiteral("impossible d'écrire « %1 » : %2.").arg(set.failedPath(), set.error());
        return false;
    }
    set.keep();
    return true;
}

} // namespace hlp
