// Names for the topics and targets for the links. A help file keeps context strings only as
// hashes: a topic is named after a string found in the file or beside it (|TopicId, macros, hot
// spots of pictures, the .cnt file, its title in the forms authors give such names) whose hash
// is one of the topic's, else after its title, unique and with a hash of its own. Every link to
// the topic then carries one of its names. Browse sequences, [MAP] and the contents topic follow.
#include "winhelp/reader/HelpReader.h"

#include "winhelp/format/CntFile.h"
#include "winhelp/format/HlpBytes.h"

#include <QSet>
#include <algorithm>

namespace hlp::fileread {

namespace {

bool contextChar(char c)
{
    return isPortableContextChar(c);
}

// A string of portable characters with the given hash (what a jump into another file needs, as
// that file finds its topic by the hash alone).
QByteArray unhash(std::int32_t hash)
{
    static const char digits[] = "\0" "123456789" "0" "\0" "._" "\0\0\0" "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const std::uint64_t h = static_cast<std::uint32_t>(hash);
    for (std::uint64_t k = 0; k < 200000; ++k) {
        std::uint64_t n = h + (k << 32);
        QByteArray out;
        bool ok = true;
        while (n != 0) {
            const char c = digits[n % 43];
            if (c == '\0') {
                ok = false;
                break;
            }
            out.prepend(c);
            n /= 43;
        }
        if (ok && !out.isEmpty() && contextHash(out) == hash)
            return out;
    }
    return "HASH_" + QByteArray::number(static_cast<std::uint32_t>(hash), 16).toUpper();
}

// The title's letters and digits, the rest as single '_' (accented Western letters without
// their accent).
QByteArray portable(const QByteArray& title, bool westernAccents, qsizetype limit = -1)
{
    static const char* const accents = "AAAAAAACEEEEIIIIDNOOOOOxOUUUUYTsaaaaaaaceeeeiiiidnooooo/ouuuuyty";
    QByteArray out;
    bool gap = false;
    for (const char ch : title) {
        char c = ch;
        const auto u = static_cast<unsigned char>(ch);
        if (u >= 0xC0 && westernAccents)
            c = accents[u - 0xC0];
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            if (gap && !out.isEmpty())
                out += '_';
            out += c;
            gap = false;
        } else {
            gap = true;
        }
    }
    return limit < 0 ? out : out.left(limit);
}

} // namespace

// Every string in a text that could be a context string: runs of the characters context strings
// are made of, and what stands between quotes (macro arguments).
void HelpReader::offerName(const QByteArray& name)
{
    if (name.isEmpty() || name.size() > 255)
        return;
    const std::int32_t hash = contextHash(name);
    if (!m_names.contains(hash) && m_hashTopic.contains(hash))
        m_names.insert(hash, name);
}

void HelpReader::gatherNames(const QByteArray& text)
{
    auto offer = [this](const QByteArray& name) { offerName(name); };
    qsizetype start = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool inside = i < text.size() && contextChar(text[i]);
        if (inside && start < 0)
            start = i;
        if (!inside && start >= 0) {
            offer(text.mid(start, i - start));
            start = -1;
        }
    }
    for (const char open : {'"', '`', '\''}) {
        const char close = open == '`' ? '\'' : open;
        for (qsizetype i = text.indexOf(open); i >= 0; i = text.indexOf(open, i + 1)) {
            const qsizetype end = text.indexOf(close, i + 1);
            if (end < 0)
                break;
            QByteArray quoted = text.mid(i + 1, end - i - 1);
            const qsizetype at = quoted.indexOf('@');
            if (at >= 0)
                quoted.truncate(at);
            const qsizetype gt = quoted.indexOf('>');
            if (gt >= 0)
                quoted.truncate(gt);
            offer(quoted.trimmed());
        }
    }
}

QByteArray HelpReader::nameFromTitle(const QByteArray& title, const QHash<std::int32_t, int>& taken, int topic) const
{
    QByteArray base = portable(title, m_project.textCharset == 0, 80);
    while (base.endsWith('_'))
        base.chop(1);
    if (base.isEmpty())
        base = "rubrique";
    QByteArray name = base;
    for (int n = 2;; ++n) {
        const auto it = taken.constFind(contextHash(name));
        if (it == taken.constEnd() || it.value() == topic)
            return name;
        name = base + '_' + QByteArray::number(n);
    }
}

void HelpReader::nameTopics(const QByteArray& contentsFile)
{
    std::vector<Topic>& topics = m_doc.topics;
    // Which topic each hash of |CONTEXT leads to; the hashes of links wanted as well.
    std::vector<std::vector<std::pair<std::uint32_t, std::int32_t>>> hashesOf(topics.size());
    for (const auto& [hash, offset] : m_contexts) {
        const int t = topicAtOffset(offset);
        if (t < 0)
            continue;
        m_hashTopic.insert(hash, t);
        hashesOf[static_cast<size_t>(t)].emplace_back(offset, hash);
    }
    QHash<std::int32_t, int> otherFiles;
    for (const PendingLink& l : m_links)
        if (!l.topicNumber && !m_hashTopic.contains(static_cast<std::int32_t>(l.value)))
            otherFiles.insert(static_cast<std::int32_t>(l.value), -1);
    for (auto it = otherFiles.constBegin(); it != otherFiles.constEnd(); ++it)
        m_hashTopic.insert(it.key(), -1);

    // The strings the file and its contents file give.
    for (const auto& [offset, name] : m_topicIds)
        offerName(name);
    for (const QByteArray& m : m_project.configMacros)
        gatherNames(m);
    for (const WindowDef& w : m_project.windows)
        for (const QByteArray& m : w.macros)
            gatherNames(m);
    for (const Topic& topic : topics)
        for (const QByteArray& m : topic.macros)
            gatherNames(m);
    for (const QByteArray& m : m_hotspotMacros)
        gatherNames(m);
    m_hotspotMacros.clear();
    for (const Picture& picture : m_doc.pictures)
        for (const PictureHotspot& h : picture.hotspots) {
            if (h.link == LinkKind::Macro)
                gatherNames(h.target);
            else
                offerName(h.target);
        }
    for (const ContentsLine& line : m_help.contents.lines)
        offerName(line.context);
    if (m_help.contents.empty())
        gatherNames(contentsFile);
    // Names authors make of titles.
    for (size_t t = 0; t < topics.size(); ++t) {
        const QByteArray& title = topics[t].title;
        const auto& hashes = hashesOf[t];
        auto named = [&]() { return std::all_of(hashes.begin(), hashes.end(), [this](const auto& h) { return m_names.contains(h.second); }); };
        if (title.isEmpty() || named())
            continue;
        const QByteArray joined = portable(title, m_project.textCharset == 0);
        QByteArray each = title; // every other character as '_'
        for (char& c : each)
            if (!isPortableContextChar(c))
                c = '_';
        const QByteArray forms[] = {joined, QByteArray(joined).replace('_', ""), title, each};
        bool done = false;
        for (const QByteArray& form : forms) {
            for (const char* prefix : {"", "IDH_", "HELPID_", "HID_", "IDH"}) {
                offerName(QByteArray(prefix) + form);
                if ((done = named()))
                    break;
            }
            if (done)
                break;
        }
    }

    // Each topic takes the names found, those at its start first; a topic without any is named
    // after its title.
    QHash<std::int32_t, int> taken;
    for (auto it = m_hashTopic.constBegin(); it != m_hashTopic.constEnd(); ++it)
        taken.insert(it.key(), it.value());
    for (size_t t = 0; t < topics.size(); ++t) {
        auto& hashes = hashesOf[t];
        std::stable_sort(hashes.begin(), hashes.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [offset, hash] : hashes) {
            const auto name = m_names.constFind(hash);
            if (name != m_names.constEnd() && !topics[t].contexts.contains(name.value()))
                topics[t].contexts << name.value();
        }
    }
    for (size_t t = 0; t < topics.size(); ++t) {
        if (!topics[t].contexts.isEmpty())
            continue;
        // A topic without a title (a popup's text, mostly) is named after its first words.
        QByteArray title = topics[t].title;
        for (size_t p = 0; title.isEmpty() && p < topics[t].paragraphs.size(); ++p)
            for (const Item& item : topics[t].paragraphs[p].items)
                if (item.kind == ItemKind::Text && title.size() < 40)
                    title += item.text;
        const QByteArray name = nameFromTitle(title.left(40), taken, static_cast<int>(t));
        taken.insert(contextHash(name), static_cast<int>(t));
        topics[t].contexts << name;
    }
}

QByteArray HelpReader::nameForHash(std::int32_t hash) const
{
    const auto name = m_names.constFind(hash);
    if (name != m_names.constEnd())
        return name.value();
    const int t = m_hashTopic.value(hash, -1);
    if (t >= 0)
        return m_doc.topics[static_cast<size_t>(t)].contexts.front();
    return unhash(hash);
}

void HelpReader::resolveLinks()
{
    int missing = 0;
    QHash<std::int32_t, QByteArray> unhashed;
    for (const PendingLink& l : m_links) {
        Topic& topic = m_doc.topics[static_cast<size_t>(l.topic)];
        if (l.paragraph < 0 || static_cast<size_t>(l.paragraph) >= topic.paragraphs.size())
            continue;
        Paragraph& para = topic.paragraphs[static_cast<size_t>(l.paragraph)];
        if (l.item < 0 || static_cast<size_t>(l.item) >= para.items.size())
            continue;
        Item& item = para.items[static_cast<size_t>(l.item)];
        if (l.topicNumber) {
            // 3.0: the topic's number, through |TOMAP (or in file order, from 16).
            int t = -1;
            if (l.value < m_topicMap.size())
                t = topicAtPos(m_topicMap[l.value]);
            else if (l.value >= 16 && l.value - 16 < m_doc.topics.size())
                t = static_cast<int>(l.value - 16);
            if (t < 0) {
                ++missing;
                item.text = "TOPIC" + QByteArray::number(l.value);
            } else {
                item.text = m_doc.topics[static_cast<size_t>(t)].contexts.front();
            }
            continue;
        }
        const auto hash = static_cast<std::int32_t>(l.value);
        if (!l.otherFile && m_hashTopic.value(hash, -1) < 0 && !m_names.contains(hash))
            ++missing;
        if (!m_names.contains(hash) && m_hashTopic.value(hash, -1) < 0) {
            auto it = unhashed.find(hash);
            if (it == unhashed.end())
                it = unhashed.insert(hash, unhash(hash));
            item.text = it.value();
        } else {
            item.text = nameForHash(hash);
        }
    }
    if (missing > 0)
        warn(QStringLiteral("|TOPIC : %1 liens mènent à des rubriques absentes du fichier ; ils gardent un nom fait de leur code.").arg(missing));
    m_links.clear();
}

// The chains of BrowseFor/BrowseBck as sequences "parcoursN:00001", "parcoursN:00002" ...
void HelpReader::browseSequences()
{
    const size_t n = m_doc.topics.size();
    auto resolve = [this, n](std::int32_t value) -> int {
        if (value == -1)
            return -1;
        if (m_before31) {
            const std::int64_t index = (value & 0xFFFF) == 0xFFFF ? -1 : std::int64_t(value) - 16;
            return index >= 0 && index < static_cast<std::int64_t>(n) ? static_cast<int>(index) : -1;
        }
        return topicAtOffset(static_cast<std::uint32_t>(value));
    };
    std::vector<int> next(n, -1), previous(n, -1);
    for (size_t t = 0; t < n; ++t) {
        const int f = resolve(m_places[t].browseFor);
        const int b = resolve(m_places[t].browseBack);
        if (f >= 0 && f != static_cast<int>(t))
            next[t] = f;
        if (b >= 0 && b != static_cast<int>(t))
            previous[t] = b;
    }
    std::vector<bool> done(n, false);
    int group = 0;
    auto chain = [&](size_t start) {
        ++group;
        int order = 0;
        for (int u = static_cast<int>(start); u >= 0 && !done[static_cast<size_t>(u)]; u = next[static_cast<size_t>(u)]) {
            done[static_cast<size_t>(u)] = true;
            Topic& topic = m_doc.topics[static_cast<size_t>(u)];
            topic.hasBrowse = true;
            topic.browse = "parcours" + QByteArray::number(group) + ':' + QByteArray::number(++order).rightJustified(5, '0');
        }
    };
    for (size_t t = 0; t < n; ++t)
        if (!done[t] && next[t] >= 0 && previous[t] < 0)
            chain(t);
    for (size_t t = 0; t < n; ++t)
        if (!done[t] && (next[t] >= 0 || previous[t] >= 0))
            chain(t);
}

void HelpReader::mapAndContents()
{
    int contents = -1;
    if (m_contentsOffset >= 0)
        contents = topicAtOffset(static_cast<std::uint32_t>(m_contentsOffset));
    else if (m_before31 && !m_topicMap.empty())
        contents = topicAtPos(m_topicMap.front());
    m_help.contentsTopic = qMax(0, contents);
    if (m_contentsOffset >= 0 && contents >= 0)
        m_project.contents = m_doc.topics[static_cast<size_t>(contents)].contexts.front();

    // A [MAP] number names the context string at its very place when one is known.
    QHash<std::uint32_t, QByteArray> exact;
    for (const auto& [hash, offset] : m_contexts)
        if (m_names.contains(hash) && !exact.contains(offset))
            exact.insert(offset, m_names.value(hash));
    for (const auto& [number, offset] : m_map) {
        const int t = topicAtOffset(offset);
        if (t < 0)
            continue;
        MapEntry e;
        e.number = number;
        e.context = exact.value(offset, m_doc.topics[static_cast<size_t>(t)].contexts.front());
        m_project.map.push_back(e);
    }
}

} // namespace hlp::fileread
