#include "winhelp/html/HtmlIndexes.h"

#include <QHash>
#include <algorithm>
#include <map>
#include <string>
#include <unordered_map>

namespace hlp::html {

namespace {

const char kLast[] = "0123456789abcdefghijklmnopqrstuv";
const char kMore[] = "wxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-_";

QByteArray topicLabel(const Topic& topic)
{
    return topic.title.isEmpty() ? topic.contexts.value(0) : topic.title;
}

// Collects the words of one entry; each word keeps the increasing list of entries it is in.
class WordTable {
public:
    void add(const std::string& word, int entry)
    {
        auto& list = m_words[word];
        if (list.empty() || list.back() != entry)
            list.push_back(entry);
    }
    const std::unordered_map<std::string, std::vector<int>>& words() const { return m_words; }

private:
    std::unordered_map<std::string, std::vector<int>> m_words;
};

class Splitter {
public:
    Splitter(const TextCodec& codec, WordTable& table, int entry) : m_codec(codec), m_table(table), m_entry(entry) {}
    void text(QByteArrayView bytes)
    {
        for (const char c : bytes) {
            const QByteArray& f = m_codec.foldedByte(static_cast<unsigned char>(c));
            if (f.isEmpty()) {
                end();
                continue;
            }
            m_word.append(f.constData(), size_t(f.size()));
            ++m_length;
        }
    }
    void end()
    {
        if (m_length >= 2)
            m_table.add(m_word, m_entry);
        m_word.clear();
        m_length = 0;
    }

private:
    const TextCodec& m_codec;
    WordTable& m_table;
    int m_entry;
    std::string m_word;
    int m_length = 0;
};

} // namespace

QByteArray encodeEntries(const std::vector<int>& entries)
{
    QByteArray out;
    int previous = -1;
    for (const int e : entries) {
        unsigned gap = unsigned(e - previous - 1);
        previous = e;
        char digits[8];
        int n = 0;
        digits[n++] = kLast[gap & 31];
        for (gap >>= 5; gap; gap >>= 5)
            digits[n++] = kMore[gap & 31];
        while (n)
            out += digits[--n];
    }
    return out;
}

QByteArray keywordList(const HelpDocument& document, const SiteNames& names, const TextCodec& codec)
{
    struct Group {
        QString shown;
        std::vector<int> topics;
    };
    QHash<QString, size_t> byKey; // lower case
    std::vector<Group> groups;
    for (size_t t = 0; t < document.topics.size(); ++t)
        for (const QByteArray& k : document.topics[t].keywords) {
            const QString shown = codec.decode(k);
            const QString key = shown.toLower();
            auto it = byKey.constFind(key);
            if (it == byKey.constEnd()) {
                it = byKey.insert(key, groups.size());
                groups.push_back({shown, {}});
            }
            auto& topics = groups[it.value()].topics;
            if (topics.empty() || topics.back() != static_cast<int>(t))
                topics.push_back(static_cast<int>(t));
        }
    std::vector<std::pair<QString, size_t>> order;
    order.reserve(groups.size());
    for (size_t g = 0; g < groups.size(); ++g)
        order.push_back({fold(groups[g].shown) + QChar(0) + groups[g].shown.toLower(), g});
    std::sort(order.begin(), order.end());

    QByteArray out = "<ul class=\"motscles\" id=\"motscles\">\n";
    for (const auto& [sortKey, g] : order) {
        const Group& group = groups[g];
        out += "<li data-cle=\"";
        appendHtml(out, fold(group.shown));
        out += "\">";
        if (group.topics.size() == 1) {
            out += "<a href=\"" + names.page(group.topics.front()).toUtf8() + ".html\">";
            appendHtml(out, group.shown);
            out += "</a></li>\n";
            continue;
        }
        out += "<span class=\"cle\">";
        appendHtml(out, group.shown);
        out += "</span><ul>";
        for (const int t : group.topics) {
            out += "<li><a href=\"" + names.page(t).toUtf8() + ".html\">";
            codec.appendHtml(out, topicLabel(document.topics[static_cast<size_t>(t)]));
            out += "</a></li>";
        }
        out += "</ul></li>\n";
    }
    out += "</ul>\n";
    return out;
}

QByteArray contentsData(const HelpDocument& document, const SiteNames& names, const TextCodec& codec,
    const std::vector<TreeEntry>& tree)
{
    QByteArray out = "tyxSommaire({\"e\":[";
    for (size_t i = 0; i < tree.size(); ++i) {
        if (i)
            out += ",\n";
        out += '[';
        appendJson(out, codec.decode(topicLabel(document.topics[static_cast<size_t>(tree[i].topic)])));
        out += ',';
        appendJson(out, names.page(tree[i].topic));
        out += ',' + QByteArray::number(tree[i].depth) + ']';
    }
    out += "]});\n";
    return out;
}

QByteArray searchData(const HelpDocument& document, const TextCodec& codec, const std::vector<TreeEntry>& tree)
{
    WordTable table;
    for (size_t e = 0; e < tree.size(); ++e) {
        const Topic& topic = document.topics[static_cast<size_t>(tree[e].topic)];
        Splitter words(codec, table, static_cast<int>(e));
        words.text(topic.title);
        words.end();
        for (const Paragraph& p : topic.paragraphs) {
            for (const Item& it : p.items) {
                if (it.kind == ItemKind::Text)
                    words.text(it.text);
                else if (it.kind != ItemKind::HotspotBegin && it.kind != ItemKind::HotspotEnd)
                    words.end(); // a format change inside a word does not cut it, a tab or a picture does
            }
            words.end();
        }
    }
    std::vector<const std::pair<const std::string, std::vector<int>>*> sorted;
    sorted.reserve(table.words().size());
    for (const auto& w : table.words())
        sorted.push_back(&w);
    std::sort(sorted.begin(), sorted.end(), [](const auto* a, const auto* b) { return a->first < b->first; });

    QByteArray words, lists;
    for (const auto* w : sorted) {
        if (!words.isEmpty()) {
            words += ' ';
            lists += ' ';
        }
        words.append(w->first.data(), qsizetype(w->first.size()));
        lists += encodeEntries(w->second);
    }
    QByteArray out = "tyxRecherche({\"mots\":";
    appendJson(out, QByteArrayView(words));
    out += ",\"listes\":\"" + lists + "\"});\n";
    return out;
}

} // namespace hlp::html
