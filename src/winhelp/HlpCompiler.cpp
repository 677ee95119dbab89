#include "winhelp/HlpCompiler.h"

#include "winhelp/model/Diagnostics.h"
#include "winhelp/project/HlpBitmap.h"
#include "winhelp/format/HlpBytes.h"
#include "winhelp/writer/HlpWriter.h"
#include "winhelp/project/HpjReader.h"
#include "winhelp/project/ProjectFiles.h"
#include "winhelp/project/RtfReader.h"
#include "platform/core/Cp1252.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <unordered_map>
#include <unordered_set>

namespace hlp {

namespace {

QString t(const QByteArray& bytes)
{
    return cp1252::decode(bytes);
}

struct Definition {
    int topic;
    QByteArray context;
};

class Build {
public:
    Build(const QString& hpjPath, CompileResult& result, const QString& outputPath = {}, const HelpOutput& output = {})
        : m_hpjPath(hpjPath), m_result(result), m_outputPath(outputPath), m_output(output)
    {
    }
    void run();

private:
    bool readTopics(ProjectFiles& files);
    void checkContexts();
    void checkLinks();
    void loadPictures(ProjectFiles& files);
    void loadIcon(ProjectFiles& files);
    int contentsTopic();
    void checkMap();
    void noteInput(const QString& path);
    void finish(bool written);

    QString m_hpjPath;
    CompileResult& m_result;
    QString m_outputPath;
    HelpOutput m_output; // another output instead of the .hlp file
    QHash<QByteArray, QString> m_pictureFiles;
    Diagnostics m_diag;
    HelpProject m_project;
    HelpDocument m_doc;
    HlpWriteInput m_input;
    std::unordered_map<std::int32_t, Definition> m_defined;
    std::vector<std::pair<const Topic*, const Item*>> m_pictureItems; // in text order, gathered by checkLinks
    qint64 m_newestInput = 0;
};

void Build::noteInput(const QString& path)
{
    const QDateTime modified = QFileInfo(path).lastModified();
    if (modified.isValid())
        m_newestInput = qMax(m_newestInput, modified.toSecsSinceEpoch());
}

bool Build::readTopics(ProjectFiles& files)
{
    if (m_project.files.isEmpty()) {
        m_diag.error(QStringLiteral("la section [FILES] du fichier projet ne nomme aucun fichier de rubriques."));
        return false;
    }
    RtfReader reader(m_doc, m_diag);
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
        m_input.topicBytesHint += size;
        if (uchar* mapped = size > 0 ? f.map(0, size) : nullptr) {
            reader.read(QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), static_cast<qsizetype>(size)),
                        QFileInfo(path).fileName());
            f.unmap(mapped);
        } else {
            reader.read(f.readAll(), QFileInfo(path).fileName());
        }
    }
    if (m_doc.topics.empty()) {
        m_diag.error(QStringLiteral("aucune rubrique à compiler."));
        return false;
    }
    return true;
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
                                       .arg(quoted(t(c)), topic.displayName(), quoted(t(QByteArray(1, ch)))));
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
                                 .arg(first.displayName(), topic.displayName(), quoted(t(c))));
            else
                m_diag.error(QStringLiteral("les chaînes de contexte %1 (rubrique %2) et %3 (rubrique %4) ont la même valeur de "
                                            "hachage ; renommez l'une des deux rubriques.")
                                 .arg(quoted(t(it->second.context)), first.displayName(), quoted(t(c)), topic.displayName()));
        }
    }
}

void Build::checkLinks()
{
    for (const Topic& topic : m_doc.topics) {
        for (const Paragraph& p : topic.paragraphs) {
            for (size_t k = 0; k < p.items.size(); ++k) {
                const Item& it = p.items[k];
                if (it.kind == ItemKind::Picture) {
                    m_pictureItems.push_back({&topic, &it}); // for loadPictures: one walk through the items, not two
                    continue;
                }
                if (it.kind != ItemKind::HotspotBegin || it.link == LinkKind::Macro)
                    continue;
                const LinkTarget& where = topic.linkTarget(it);
                if (!where.window.isEmpty()) {
                    bool known = false;
                    for (const WindowDef& w : m_project.windows)
                        known = known || w.name.compare(where.window, Qt::CaseInsensitive) == 0;
                    if (!known && where.file.isEmpty())
                        m_diag.warning(QStringLiteral("la fenêtre %1 visée depuis la rubrique %2 n'est pas définie dans [WINDOWS].")
                                           .arg(quoted(t(where.window)), topic.displayName()));
                }
                if (!where.file.isEmpty() || m_defined.count(contextHash(it.text)))
                    continue;
                QByteArray anchor;
                for (size_t j = k + 1; j < p.items.size() && p.items[j].kind != ItemKind::HotspotEnd; ++j)
                    anchor += p.items[j].text;
                anchor = anchor.trimmed();
                if (it.link == LinkKind::Popup)
                    m_diag.error(QStringLiteral("dans la rubrique %1, le lien %2 appelle la fenêtre surgissante %3, qui n'existe pas.")
                                     .arg(topic.displayName(), quoted(t(anchor)), quoted(t(it.text))));
                else if (anchor == "Voir aussi")
                    m_diag.error(QStringLiteral("dans la rubrique %1, le renvoi « Voir aussi » mène à %2, qu'aucune rubrique ne définit.")
                                     .arg(topic.displayName(), quoted(t(it.text))));
                else
                    m_diag.error(QStringLiteral("dans la rubrique %1, le saut %2 mène à %3, qu'aucune rubrique ne définit.")
                                     .arg(topic.displayName(), quoted(t(anchor)), quoted(t(it.text))));
            }
        }
    }
}

void Build::loadPictures(ProjectFiles& files)
{
    QStringList folders = m_project.bitmapFolders;
    folders << m_project.rootFolders;
    std::unordered_set<std::string> missing;
    for (const auto& [topicPtr, itemPtr] : m_pictureItems) {
        const Topic& topic = *topicPtr;
        const Item& it = *itemPtr;
        const QByteArray key = it.text.toLower();
        if (m_input.pictureIndex.contains(key) || missing.count(key.toStdString()))
            continue;
        const QString name = t(it.text);
        QString path = files.find(name, folders);
        for (int i = 0; path.isEmpty() && i < m_project.bitmaps.size(); ++i) {
            QString listed = m_project.bitmaps[i];
            listed.replace(QLatin1Char('\\'), QLatin1Char('/'));
            if (listed.section(QLatin1Char('/'), -1).compare(name, Qt::CaseInsensitive) == 0)
                path = files.find(listed);
        }
        QString why;
        QByteArray picture;
        if (!path.isEmpty()) {
            QFile f(path);
            if (f.open(QIODevice::ReadOnly)) {
                noteInput(path);
                picture = pictureFromBmp(f.readAll(), &why);
            } else {
                why = f.errorString();
            }
        }
        if (picture.isEmpty()) {
            missing.insert(key.toStdString());
            if (path.isEmpty())
                m_diag.warning(QStringLiteral("image %1 de la rubrique %2 introuvable ; elle est omise.").arg(quoted(name), topic.displayName()));
            else
                m_diag.warning(QStringLiteral("image %1 de la rubrique %2 inutilisable (%3) ; elle est omise.")
                                   .arg(quoted(name), topic.displayName(), why));
            continue;
        }
        m_pictureFiles.insert(key, path);
        m_input.pictureIndex.insert(key, static_cast<int>(m_input.pictures.size()));
        m_input.pictures.push_back(picture);
    }
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
    m_result.topicCount = written ? static_cast<int>(m_doc.topics.size()) : 0;
    const QString name = QFileInfo(m_result.hlpPath).fileName();
    if (written)
        m_diag.note(QStringLiteral("%1 écrit : %2 rubrique(s), %3 erreur(s).").arg(name).arg(m_doc.topics.size()).arg(m_diag.errorCount()));
    else
        m_diag.note(QStringLiteral("%1 n'a pas été écrit.").arg(name));
    m_result.diagnostics = m_diag.lines();
}

void Build::run()
{
    const QFileInfo hpj(m_hpjPath);
    m_result.hlpPath = m_output ? m_outputPath : hpj.absoluteDir().filePath(hpj.completeBaseName() + QStringLiteral(".hlp"));
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
    checkContexts();
    checkLinks();
    checkMap();
    loadPictures(files);
    if (m_output) {
        finish(m_output(ReadHelp{m_project, m_doc, contentsTopic(), m_pictureFiles, m_diag}));
        return;
    }
    loadIcon(files);

    m_input.project = &m_project;
    m_input.document = &m_doc;
    m_input.contentsTopic = contentsTopic();
    m_input.generationDate = static_cast<std::uint32_t>(m_newestInput);
    const QByteArray bytes = writeHlp(m_input);

    QSaveFile out(m_result.hlpPath);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        m_diag.error(QStringLiteral("impossible d'écrire %1 : %2").arg(quoted(m_result.hlpPath), out.errorString()));
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
