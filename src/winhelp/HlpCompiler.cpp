#include "winhelp/HlpCompiler.h"

#include "winhelp/format/HlpBytes.h"
#include "winhelp/model/Diagnostics.h"
#include "winhelp/model/Limits.h"
#include "winhelp/project/HlpBitmap.h"
#include "winhelp/project/HpjReader.h"
#include "winhelp/project/PictureLoader.h"
#include "winhelp/project/ProjectFiles.h"
#include "winhelp/project/RtfReader.h"
#include "winhelp/writer/HlpWriter.h"
#include "platform/core/SafeFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cctype>
#include <thread>
#include <unordered_map>
#include <unordered_set>

namespace hlp {

namespace {

struct Definition {
    int topic;
    QByteArray context;
    bool alias = false;
};

class Build {
public:
    Build(const QString& hpjPath, CompileResult& result, const QString& outputPath = {}, const HelpOutput& output = {})
        : m_hpjPath(hpjPath), m_result(result), m_outputPath(outputPath), m_output(output)
    {
    }
    void run();

private:
    QString t(const QByteArray& bytes) const { return m_diag.text(bytes); }
    QString name(const Topic& topic) const { return topic.displayName(m_diag.codePage()); }
    bool readTopics(ProjectFiles& files);
    void chooseCodePage();
    void checkContexts();
    void resolveAliases();
    void checkLinks();
    void checkTarget(const Topic& topic, LinkKind link, const QByteArray& target, const LinkTarget& where, const QString& anchor);
    void checkMacroWindows(const QByteArray& macro, const QString& where);
    void checkHotspots();
    void loadPictures(ProjectFiles& files);
    void loadIcon(ProjectFiles& files);
    void loadBaggage(ProjectFiles& files);
    int contentsTopic();
    void checkMap();
    void noteInput(const QString& path);
    void finish(bool written);

    QString m_hpjPath;
    CompileResult& m_result;
    QString m_outputPath;
    HelpOutput m_output; // another output instead of the .hlp file
    Diagnostics m_diag;
    HelpProject m_project;
    HelpDocument m_doc;
    HlpWriteInput m_input;
    std::unordered_map<std::int32_t, Definition> m_defined; // context strings and aliases by hash
    std::vector<const Topic*> m_pictureFirstUse;            // gathered by checkLinks
    qint64 m_newestInput = 0;
    qsizetype m_topicCount = -1; // once the topics are let go
};

void Build::noteInput(const QString& path)
{
    const QDateTime modified = QFileInfo(path).lastModified();
    if (modified.isValid())
        m_newestInput = qMax(m_newestInput, modified.toSecsSinceEpoch());
}

// A topic file opens with "{\rtf" (after spaces, line ends or a UTF-8 mark): anything else is
// no RTF, and reading it as text would make a help file of its bytes.
bool isRtf(const char* data, qsizetype size)
{
    QByteArrayView bytes(data, size);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    while (!bytes.isEmpty() && (bytes.front() == ' ' || bytes.front() == '\t' || bytes.front() == '\r' || bytes.front() == '\n'))
        bytes = bytes.sliced(1);
    return bytes.startsWith("{\\rtf");
}

bool Build::readTopics(ProjectFiles& files)
{
    if (m_project.files.isEmpty()) {
        m_diag.error(QStringLiteral("la section [FILES] du fichier projet ne nomme aucun fichier de rubriques."));
        return false;
    }
    RtfReader reader(m_doc, m_diag);
    reader.setCodePageFixed(m_project.charset >= 0 || (m_project.hasLcid && CodePage::charsetForLanguage(m_project.lcid) >= 0));
    for (const QString& name : m_project.files) {
        const QString path = files.find(name, m_project.rootFolders);
        if (path.isEmpty()) {
            m_diag.error(QStringLiteral("fichier de rubriques %1 introuvable dans le dossier du projet.").arg(quoted(name)));
            continue;
        }
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            m_diag.error(QStringLiteral("impossible de lire le fichier de rubriques %1 : %2").arg(quoted(name), f.errorString()));
            continue;
        }
        noteInput(path);
        // Mapped rather than read: the file is read once, and copying a large topic file into a
        // fresh buffer first costs more than reading it in place.
        const qint64 size = f.size();
        const auto notRtf = [&] {
            m_diag.error(QStringLiteral("le fichier de rubriques %1 n'est pas un fichier RTF (il ne commence pas par {\\rtf) ; "
                                        "il est refusé.").arg(quoted(name)));
        };
        if (uchar* mapped = size > 0 ? f.map(0, size) : nullptr) {
            const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), static_cast<qsizetype>(size));
            if (isRtf(bytes.constData(), bytes.size())) {
                m_input.topicBytesHint += size;
                reader.read(bytes, QFileInfo(path).fileName());
            } else {
                notRtf();
            }
            f.unmap(mapped);
        } else {
            const QByteArray bytes = f.readAll();
            if (isRtf(bytes.constData(), bytes.size())) {
                m_input.topicBytesHint += size;
                reader.read(bytes, QFileInfo(path).fileName());
            } else {
                notRtf();
            }
        }
    }
    if (m_doc.topics.empty()) {
        m_diag.error(QStringLiteral("aucune rubrique à compiler."));
        return false;
    }
    return true;
}

// The text's character set: CHARSET=, else the language of LCID=, else the topic files' fonts.
// The |SYSTEM record is written when the project says it or when the text is not Western.
void Build::chooseCodePage()
{
    int charset = m_project.charset;
    if (charset < 0 && m_project.hasLcid)
        charset = CodePage::charsetForLanguage(m_project.lcid);
    if (charset < 0)
        charset = m_doc.fontCharset;
    m_project.textCharset = qMax(0, charset);
    m_input.charset = m_project.charset >= 0 || m_project.textCharset > 1 ? m_project.textCharset : -1;
    m_diag.setCodePage(CodePage::forCharset(m_project.textCharset));
}

void Build::checkContexts()
{
    for (size_t i = 0; i < m_doc.topics.size(); ++i) {
        const Topic& topic = m_doc.topics[i];
        for (const QByteArray& c : topic.contexts) {
            for (const char ch : c) {
                if (!isPortableContextChar(ch)) {
                    m_diag.warning(QStringLiteral("la chaîne de contexte %1 de la rubrique %2 contient %3 : seuls les lettres "
                                                  "non accentuées, les chiffres, le point et le souligné sont sûrs.")
                                       .arg(quoted(t(c)), name(topic), quoted(t(QByteArray(1, ch)))));
                    break;
                }
            }
            const std::int32_t hash = contextHash(c);
            const auto [it, inserted] = m_defined.emplace(hash, Definition{static_cast<int>(i), c});
            if (inserted)
                continue;
            const Topic& first = m_doc.topics[static_cast<size_t>(it->second.topic)];
            if (it->second.context.compare(c, Qt::CaseInsensitive) == 0)
                m_diag.error(QStringLiteral("les rubriques %1 et %2 ont la même chaîne de contexte %3 ; les liens mènent à %1.")
                                 .arg(name(first), name(topic), quoted(t(c))));
            else
                m_diag.error(QStringLiteral("les chaînes de contexte %1 (rubrique %2) et %3 (rubrique %4) ont la même valeur de "
                                            "hachage ; renommez l'une des deux rubriques.")
                                 .arg(quoted(t(it->second.context)), name(first), quoted(t(c)), name(topic)));
        }
    }
}

// [ALIAS]: each alias leads where its context string does (an alias of an alias too). It is one
// more entry of |CONTEXT, so jumps, [MAP] and CONTENTS= may name it.
void Build::resolveAliases()
{
    std::vector<const Alias*> pending;
    for (const Alias& a : m_project.aliases)
        pending.push_back(&a);
    bool progress = true;
    while (!pending.empty() && progress) {
        progress = false;
        std::vector<const Alias*> left;
        for (const Alias* a : pending) {
            const auto target = m_defined.find(contextHash(a->context));
            if (target == m_defined.end()) {
                left.push_back(a);
                continue;
            }
            progress = true;
            const std::int32_t hash = contextHash(a->alias);
            const auto existing = m_defined.find(hash);
            if (existing != m_defined.end()) {
                if (existing->second.topic != target->second.topic || !existing->second.alias)
                    m_diag.error(QStringLiteral("[ALIAS] : l'alias %1 (ligne %2) porte le nom de la chaîne de contexte ou de l'alias %3 ; "
                                                "il est laissé de côté.")
                                     .arg(quoted(t(a->alias)))
                                     .arg(a->line)
                                     .arg(quoted(t(existing->second.context))));
                continue;
            }
            m_defined.emplace(hash, Definition{target->second.topic, a->alias, true});
            m_input.aliases.emplace_back(a->alias, target->second.topic);
        }
        pending = std::move(left);
    }
    for (const Alias* a : pending)
        m_diag.warning(QStringLiteral("[ALIAS] : l'alias %1 (ligne %2) mène à %3, qu'aucune rubrique ne définit.")
                           .arg(quoted(t(a->alias)))
                           .arg(a->line)
                           .arg(quoted(t(a->context))));
}

void Build::checkTarget(const Topic& topic, LinkKind link, const QByteArray& target, const LinkTarget& where, const QString& anchor)
{
    if (!where.window.isEmpty()) {
        bool known = false;
        for (const WindowDef& w : m_project.windows)
            known = known || w.name.compare(where.window, Qt::CaseInsensitive) == 0;
        if (!known && where.file.isEmpty())
            m_diag.warning(QStringLiteral("la fenêtre %1 visée depuis la rubrique %2 n'est pas définie dans [WINDOWS].")
                               .arg(quoted(t(where.window)), name(topic)));
    }
    if (!where.file.isEmpty() || m_defined.count(contextHash(target)))
        return;
    if (link == LinkKind::Popup)
        m_diag.error(QStringLiteral("dans la rubrique %1, le lien %2 appelle la fenêtre surgissante %3, qui n'existe pas.")
                         .arg(name(topic), quoted(anchor), quoted(t(target))));
    else if (anchor == QStringLiteral("Voir aussi"))
        m_diag.error(QStringLiteral("dans la rubrique %1, le renvoi « Voir aussi » mène à %2, qu'aucune rubrique ne définit.")
                         .arg(name(topic), quoted(t(target))));
    else
        m_diag.error(QStringLiteral("dans la rubrique %1, le saut %2 mène à %3, qu'aucune rubrique ne définit.")
                         .arg(name(topic), quoted(anchor), quoted(t(target))));
}

// A macro that opens "file>window" in a window the file does not define makes one viewer stop
// outright: such names are checked here (windows of other help files are theirs to define).
void Build::checkMacroWindows(const QByteArray& macro, const QString& where)
{
    const QByteArray ownFile = QFileInfo(m_result.hlpPath).fileName().toLower().toLatin1();
    for (int gt = static_cast<int>(macro.indexOf('>')); gt >= 0; gt = static_cast<int>(macro.indexOf('>', gt + 1))) {
        int end = gt + 1;
        while (end < macro.size() && (std::isalnum(static_cast<unsigned char>(macro[end])) || macro[end] == '_'))
            ++end;
        int begin = gt;
        while (begin > 0 && macro[begin - 1] != '"' && macro[begin - 1] != '`' && macro[begin - 1] != '\'' && macro[begin - 1] != '(')
            --begin;
        const QByteArray file = macro.mid(begin, gt - begin).trimmed().toLower();
        const QByteArray window = macro.mid(gt + 1, end - gt - 1);
        if (window.isEmpty() || (!file.isEmpty() && file != ownFile && file != "qchpath"))
            continue;
        bool known = window.compare("main", Qt::CaseInsensitive) == 0;
        for (const WindowDef& w : m_project.windows)
            known = known || w.name.compare(window, Qt::CaseInsensitive) == 0;
        if (!known)
            m_diag.warning(QStringLiteral("la macro %1 %2 ouvre la fenêtre %3, qui n'est pas définie dans [WINDOWS].")
                               .arg(quoted(t(macro)), where, quoted(t(window))));
    }
}

void Build::checkLinks()
{
    m_pictureFirstUse.assign(m_doc.pictures.size(), nullptr);
    for (const QByteArray& macro : m_project.configMacros)
        checkMacroWindows(macro, QStringLiteral("de [CONFIG]"));
    for (const Topic& topic : m_doc.topics) {
        for (const QByteArray& macro : topic.macros)
            checkMacroWindows(macro, QStringLiteral("de la rubrique %1").arg(name(topic)));
        for (const Paragraph& p : topic.paragraphs) {
            for (size_t k = 0; k < p.items.size(); ++k) {
                const Item& it = p.items[k];
                if (it.kind == ItemKind::Picture) {
                    if (it.picture >= 0 && static_cast<size_t>(it.picture) < m_pictureFirstUse.size() && !m_pictureFirstUse[static_cast<size_t>(it.picture)])
                        m_pictureFirstUse[static_cast<size_t>(it.picture)] = &topic;
                    continue;
                }
                if (it.kind != ItemKind::HotspotBegin)
                    continue;
                if (it.link == LinkKind::Macro) {
                    checkMacroWindows(it.text, QStringLiteral("de la rubrique %1").arg(name(topic)));
                    continue;
                }
                QByteArray anchor;
                for (size_t j = k + 1; j < p.items.size() && p.items[j].kind != ItemKind::HotspotEnd; ++j)
                    anchor += p.items[j].text;
                checkTarget(topic, it.link, it.text, topic.linkTarget(it), t(anchor.trimmed()));
            }
        }
    }
}

// The hot spots of .shg pictures lead to topics and windows like the text's.
void Build::checkHotspots()
{
    for (size_t i = 0; i < m_doc.pictures.size(); ++i) {
        const Topic* topic = m_pictureFirstUse[i];
        if (!topic || m_input.pictureNumber[i] < 0)
            continue;
        for (const PictureHotspot& h : m_doc.pictures[i].hotspots) {
            if (h.link == LinkKind::Macro)
                checkMacroWindows(h.target, QStringLiteral("de l'image %1").arg(quoted(t(m_doc.pictures[i].name))));
            else
                checkTarget(*topic, h.link, h.target, LinkTarget{h.window, h.file},
                            QStringLiteral("%1 de l'image %2").arg(t(h.name), t(m_doc.pictures[i].name)));
        }
    }
}

void Build::loadPictures(ProjectFiles& files)
{
    PictureLoader loader(m_project, m_doc, m_diag, files);
    loader.setForHelpFile(!m_output);
    loader.load(m_pictureFirstUse, m_project.compress, m_input.pictures, m_input.pictureNumber);
    m_newestInput = qMax(m_newestInput, loader.newestInput());
}

void Build::loadIcon(ProjectFiles& files)
{
    if (m_project.icon.isEmpty())
        return;
    const QString path = files.find(m_project.icon, m_project.rootFolders);
    if (path.isEmpty()) {
        m_diag.warning(QStringLiteral("icône %1 introuvable ; l'aide n'aura pas d'icône.").arg(quoted(m_project.icon)));
        return;
    }
    QFile f(path);
    QString why;
    if (f.open(QIODevice::ReadOnly)) {
        noteInput(path);
        m_input.icon = singleImageIcon(f.readAll(), &why);
    } else {
        why = f.errorString();
    }
    if (m_input.icon.isEmpty())
        m_diag.warning(QStringLiteral("icône %1 inutilisable (%2) ; l'aide n'aura pas d'icône.").arg(quoted(m_project.icon), why));
}

// [BAGGAGE]: files stored in the help file as they are, under their own name.
void Build::loadBaggage(ProjectFiles& files)
{
    std::unordered_set<std::string> names;
    for (const QString& listed : m_project.baggage) {
        QString bare = listed;
        bare.replace(QLatin1Char('\\'), QLatin1Char('/'));
        bare = bare.section(QLatin1Char('/'), -1);
        const QByteArray internal = m_diag.codePage().encode(bare);
        if (internal.isEmpty() || internal.startsWith('|')) {
            m_diag.error(QStringLiteral("[BAGGAGE] : le nom %1 ne peut pas nommer un fichier du fichier d'aide.").arg(quoted(listed)));
            continue;
        }
        bool digits = internal.size() > 2 && internal.left(2).toLower() == "bm";
        for (int i = 2; digits && i < internal.size(); ++i)
            digits = std::isdigit(static_cast<unsigned char>(internal[i]));
        if (digits) {
            m_diag.error(QStringLiteral("[BAGGAGE] : le fichier %1 porte le nom d'une image du fichier d'aide ; renommez-le.")
                             .arg(quoted(listed)));
            continue;
        }
        if (!names.insert(internal.toLower().toStdString()).second) {
            m_diag.warning(QStringLiteral("[BAGGAGE] : le fichier %1 est nommé deux fois ; il n'est stocké qu'une fois.").arg(quoted(listed)));
            continue;
        }
        const QString path = files.find(listed, m_project.rootFolders);
        QFile f(path);
        if (path.isEmpty() || !f.open(QIODevice::ReadOnly)) {
            m_diag.error(QStringLiteral("[BAGGAGE] : le fichier %1 est introuvable ou illisible.").arg(quoted(listed)));
            continue;
        }
        noteInput(path);
        m_input.baggage.emplace_back(internal, f.readAll());
    }
}

int Build::contentsTopic()
{
    if (m_project.contents.isEmpty())
        return 0;
    const auto it = m_defined.find(contextHash(m_project.contents));
    if (it == m_defined.end()) {
        m_diag.warning(QStringLiteral("la rubrique de sommaire %1 (CONTENTS=) n'existe pas ; la première rubrique en tient lieu.")
                           .arg(quoted(t(m_project.contents))));
        return 0;
    }
    return it->second.topic;
}

void Build::checkMap()
{
    std::unordered_map<std::uint32_t, QByteArray> numbers;
    for (const MapEntry& e : m_project.map) {
        if (!m_defined.count(contextHash(e.context)))
            m_diag.warning(QStringLiteral("[MAP] : la chaîne de contexte %1 (numéro %2) ne correspond à aucune rubrique.")
                               .arg(quoted(t(e.context)))
                               .arg(e.number));
        const auto [it, inserted] = numbers.emplace(e.number, e.context);
        if (!inserted && it->second.compare(e.context, Qt::CaseInsensitive) != 0)
            m_diag.warning(QStringLiteral("[MAP] : le numéro %1 est donné à %2 et à %3 ; le premier est gardé.")
                               .arg(e.number)
                               .arg(quoted(t(it->second)), quoted(t(e.context))));
    }
}

void Build::finish(bool written)
{
    m_result.written = written;
    m_result.errorCount = m_diag.errorCount();
    const qsizetype topicCount = m_topicCount >= 0 ? m_topicCount : qsizetype(m_doc.topics.size());
    m_result.topicCount = written ? static_cast<int>(topicCount) : 0;
    const QString file = QFileInfo(m_result.hlpPath).fileName();
    if (written)
        m_diag.note(QStringLiteral("%1 écrit : %2 rubrique(s), %3 erreur(s).").arg(file).arg(topicCount).arg(m_diag.errorCount()));
    else
        m_diag.note(QStringLiteral("%1 n'a pas été écrit.").arg(file));
    m_result.diagnostics = m_diag.lines();
}

void Build::run()
{
    const QFileInfo hpj(m_hpjPath);
    m_result.hlpPath = m_output ? m_outputPath : hpj.absoluteDir().filePath(hpj.completeBaseName() + QStringLiteral(".hlp"));
    // A FIFO or a device would block the reader or never end.
    if (const QString why = safefile::notRegularFile(m_hpjPath); !why.isEmpty()) {
        m_diag.error(QStringLiteral("impossible de lire le fichier projet %1 : %2.").arg(quoted(m_hpjPath), why));
        finish(false);
        return;
    }
    if (!HpjReader::read(m_hpjPath, m_project, m_diag)) {
        finish(false);
        return;
    }
    noteInput(m_hpjPath);
    ProjectFiles files(m_project.folder);
    if (!readTopics(files)) {
        finish(false);
        return;
    }
    chooseCodePage();
    checkContexts();
    resolveAliases();
    checkLinks();
    checkMap();
    loadPictures(files);
    checkHotspots();
    if (m_output) {
        finish(m_output(ReadHelp{m_project, m_doc, contentsTopic(), m_input.aliases, m_diag}));
        return;
    }
    loadIcon(files);
    loadBaggage(files);

    fitLimits(m_doc, m_diag);

    m_input.project = &m_project;
    m_input.document = &m_doc;
    m_input.contentsTopic = contentsTopic();
    m_input.compress = m_project.compress;
    m_input.generationDate = static_cast<std::uint32_t>(m_newestInput);
    const QByteArray bytes = writeHlp(m_input);

    // Ten thousand topics take a while to free: done on a thread of its own while the help file
    // is written and waits for the disk.
    m_topicCount = qsizetype(m_doc.topics.size());
    m_pictureFirstUse.clear();
    std::thread release([topics = std::move(m_doc.topics)]() mutable { std::vector<Topic>().swap(topics); });
    m_doc.topics.clear();
    QString why;
    const bool written = safefile::write(m_result.hlpPath, bytes, &why);
    release.join();
    if (!written) {
        m_diag.error(QStringLiteral("impossible d'écrire %1 : %2.").arg(quoted(m_result.hlpPath), why));
        finish(false);
        return;
    }
    finish(true);
}

} // namespace

CompileResult HlpCompiler::compile(const QString& hpjPath)
{
    CompileResult result;
    Build build(hpjPath, result);
    build.run();
    return result;
}

CompileResult HlpCompiler::compile(const QString& hpjPath, const QString& outputPath, const HelpOutput& output)
{
    CompileResult result;
    Build build(hpjPath, result, outputPath, output);
    build.run();
    return result;
}

} // namespace hlp
