#include "winhelp/reader/HelpSummary.h"

#include <QMap>
#include <QSet>

namespace hlp {

namespace {

QString version(int minor)
{
    if (minor <= 16)
        return QStringLiteral("WinHelp 3.0");
    if (minor <= 21)
        return QStringLiteral("WinHelp 3.1");
    return QStringLiteral("WinHelp 4.0");
}

} // namespace

QStringList helpSummary(const LoadedHelp& help)
{
    const HelpFileFacts& f = help.file;
    const CodePage codePage = CodePage::forCharset(help.project.textCharset);
    auto text = [&codePage](const QByteArray& bytes) { return codePage.decode(bytes); };
    QStringList out;
    auto line = [&out](const QString& key, const QString& value) { out << key + QStringLiteral(" : ") + value; };

    line(QStringLiteral("version"), version(f.minor));
    line(QStringLiteral("format"), QStringLiteral("%1.%2").arg(f.major).arg(f.minor));
    QStringList packing;
    if (f.lz77)
        packing << QStringLiteral("LZ77 (blocs de %1 octets)").arg(f.topicBlockSize);
    if (f.phrases == HelpFileFacts::Phrases::Old)
        packing << QStringLiteral("phrases (%1)").arg(f.phraseCount);
    else if (f.phrases == HelpFileFacts::Phrases::Hall)
        packing << QStringLiteral("phrases Hall (%1)").arg(f.phraseCount);
    line(QStringLiteral("compression"), packing.isEmpty() ? QStringLiteral("aucune") : packing.join(QStringLiteral(", ")));
    line(QStringLiteral("taille"), QStringLiteral("%1 octets").arg(f.size));
    line(QStringLiteral("titre"), text(help.project.title));
    if (!help.project.copyright.isEmpty())
        line(QStringLiteral("copyright"), text(help.project.copyright));
    line(QStringLiteral("page de code"), QString::number(codePage.number()));
    if (help.project.hasLcid)
        line(QStringLiteral("langue"), QStringLiteral("0x%1").arg(help.project.lcid, 4, 16, QLatin1Char('0')));

    const auto& topics = help.document.topics;
    line(QStringLiteral("rubriques"), QString::number(topics.size()));
    if (!topics.empty() && help.contentsTopic >= 0 && static_cast<size_t>(help.contentsTopic) < topics.size())
        line(QStringLiteral("sommaire"), text(topics[static_cast<size_t>(help.contentsTopic)].title));
    QSet<QByteArray> keywords;
    QMap<char, QSet<QByteArray>> others;
    int topicMacros = 0, hotspots = 0, macroHotspots = 0, tables = 0, browse = 0;
    for (const Topic& t : topics) {
        for (const QByteArray& k : t.keywords)
            keywords.insert(k.toLower());
        for (const KeywordList& l : t.otherKeywords)
            for (const QByteArray& k : l.keywords)
                others[l.footnote].insert(k.toLower());
        topicMacros += static_cast<int>(t.macros.size());
        tables += static_cast<int>(t.rows.size());
        browse += t.hasBrowse ? 1 : 0;
        for (const Paragraph& p : t.paragraphs)
            for (const Item& item : p.items)
                if (item.kind == ItemKind::HotspotBegin) {
                    ++hotspots;
                    macroHotspots += item.link == LinkKind::Macro ? 1 : 0;
                }
    }
    line(QStringLiteral("mots-clés"), QString::number(keywords.size()));
    for (auto it = others.constBegin(); it != others.constEnd(); ++it)
        line(QStringLiteral("mots-clés %1").arg(QLatin1Char(it.key())), QString::number(it.value().size()));
    line(QStringLiteral("liens"), QString::number(hotspots));
    line(QStringLiteral("rangées de tableaux"), QString::number(tables));
    line(QStringLiteral("rubriques en séquence"), QString::number(browse));
    int pictureHotspots = 0;
    for (const Picture& p : help.document.pictures)
        pictureHotspots += static_cast<int>(p.hotspots.size());
    line(QStringLiteral("images"), QString::number(help.document.pictures.size()));
    line(QStringLiteral("zones sensibles d'images"), QString::number(pictureHotspots));
    line(QStringLiteral("fenêtres"), QString::number(help.project.windows.size()));
    for (const WindowDef& w : help.project.windows)
        line(QStringLiteral("fenêtre"), w.caption.isEmpty() ? text(w.name) : text(w.name) + QStringLiteral(" « ") + text(w.caption) + QStringLiteral(" »"));
    int windowMacros = 0;
    for (const WindowDef& w : help.project.windows)
        windowMacros += static_cast<int>(w.macros.size());
    line(QStringLiteral("macros"), QString::number(help.project.configMacros.size() + windowMacros + topicMacros + macroHotspots));
    for (const QByteArray& m : help.project.configMacros)
        line(QStringLiteral("macro de démarrage"), text(m));
    for (const WindowDef& w : help.project.windows)
        for (const QByteArray& m : w.macros)
            line(QStringLiteral("macro de fenêtre"), text(w.name) + QStringLiteral(" : ") + text(m));
    line(QStringLiteral("macros de rubriques"), QString::number(topicMacros));
    line(QStringLiteral("zones macros"), QString::number(macroHotspots));
    line(QStringLiteral("numéros [MAP]"), QString::number(help.project.map.size()));
    line(QStringLiteral("lignes du sommaire .cnt"), QString::number(help.contents.lines.size()));
    line(QStringLiteral("fichiers joints"), QString::number(help.baggage.size()));
    line(QStringLiteral("fichiers internes"), QString::number(f.internalFiles.size()));
    return out;
}

} // namespace hlp
