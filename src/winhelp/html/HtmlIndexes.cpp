#include "winhelp/html/HtmlIndexes.h"

#include <QHash>
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace hlp::html {

namespace {

const char kLast[] = "0123456789abcdefghijklmnopqrstuv";
const char kMore[] = "wxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-_";

// The words and, for each, the increasing list of entries it is in. An open table keyed by the
// word's hash, computed while the word is read: there are millions of words in a large help.
class WordTable {
public:
    WordTable() : m_slots(1 << 14, 0) {}

    void add(std::string_view word, std::uint32_t hash, int entry)
    {
        size_t mask = m_slots.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            const std::uint32_t slot = m_slots[i];
            if (slot == 0) {
                m_words.push_back({std::string(word), hash, {entry}});
                m_slots[i] = static_cast<std::uint32_t>(m_words.size());
                if (m_words.size() * 2 > m_slots.size())
                    grow();
                return;
            }
            Word& w = m_words[slot - 1];
            if (w.hash == hash && w.text == word) {
                if (w.entries.back() != entry)
                    w.entries.push_back(entry);
                return;
            }
        }
    }

    struct Word {
        std::string text;
        std::uint32_t hash;
        std::vector<int> entries;
    };
    const std::vector<Word>& words() const { return m_words; }

private:
    void grow()
    {
        std::vector<std::uint32_t> slots(m_slots.size() * 2, 0);
        const size_t mask = slots.size() - 1;
        for (size_t w = 0; w < m_words.size(); ++w) {
            size_t i = m_words[w].hash & mask;
            while (slots[i])
                i = (i + 1) & mask;
            slots[i] = static_cast<std::uint32_t>(w + 1);
        }
        m_slots.swap(slots);
    }

    std::vector<std::uint32_t> m_slots; // 1 + index into m_words, 0 when free
    std::vector<Word> m_words;
};

class Splitter {
public:
    Splitter(const TextCodec& codec, WordTable& table, int entry) : m_codec(codec), m_table(table), m_entry(entry) {}
    void text(QByteArrayView bytes)
    {
        if (!m_codec.singleByte()) {
            for (const QChar c : m_codec.decode(bytes)) {
                if (!c.isLetterOrNumber()) {
                    end();
                    continue;
                }
                const QByteArray f = foldedWord(QString(c)).toUtf8();
                put(f.constData(), size_t(f.size()));
                ++m_length;
            }
            return;
        }
        for (const char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            if (const char ascii = m_codec.foldedAscii(b)) {
                // Most letters fold to one ASCII letter: the word grows by it in place.
                if (m_size < sizeof m_bytes) {
                    m_bytes[m_size++] = ascii;
                    m_hash = (m_hash ^ static_cast<unsigned char>(ascii)) * 16777619u;
                }
            } else if (const QByteArray& f = m_codec.foldedByte(b); !f.isEmpty()) {
                put(f.constData(), size_t(f.size()));
            } else {
                end();
                continue;
            }
            ++m_length;
        }
    }
    void end()
    {
        if (m_length >= 2)
            m_table.add(std::string_view(m_bytes, m_size), m_hash, m_entry);
        m_size = 0;
        m_hash = 2166136261u;
        m_length = 0;
    }

private:
    void put(const char* piece, size_t n)
    {
        // Longer words keep their first 64 bytes (the search script compares at most 32
        // characters), never half a character.
        if (m_size + n > sizeof m_bytes)
            return;
        for (size_t i = 0; i < n; ++i) {
            m_bytes[m_size++] = piece[i];
            m_hash = (m_hash ^ static_cast<unsigned char>(piece[i])) * 16777619u;
        }
    }

    const TextCodec& m_codec;
    WordTable& m_table;
    int m_entry;
    char m_bytes[64];
    size_t m_size = 0;
    std::uint32_t m_hash = 2166136261u; // FNV-1a
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
        QByteArray shown; // as the first topic gives it
        QByteArray order; // folded, then lower case: the place in the list
        std::vector<int> topics;
    };
    QHash<QByteArray, size_t> byKey; // lower case
    std::vector<Group> groups;
    for (size_t t = 0; t < document.topics.size(); ++t)
        for (const QByteArray& k : document.topics[t].keywords) {
            const QByteArray key = codec.lower(k);
            auto it = byKey.constFind(key);
            if (it == byKey.constEnd()) {
                it = byKey.insert(key, groups.size());
                groups.push_back({k, codec.foldedText(k) + '\0' + key, {}});
            }
            auto& topics = groups[it.value()].topics;
            if (topics.empty() || topics.back() != static_cast<int>(t))
                topics.push_back(static_cast<int>(t));
        }
    std::vector<size_t> order(groups.size());
    for (size_t g = 0; g < order.size(); ++g)
        order[g] = g;
    std::sort(order.begin(), order.end(), [&groups](size_t a, size_t b) { return groups[a].order < groups[b].order; });

    QByteArray out = "<ul class=\"motscles\" id=\"motscles\">\n";
    for (const size_t g : order) {
        const Group& group = groups[g];
        out += "<li data-cle=\"";
        appendHtmlUtf8(out, QByteArrayView(group.order).first(group.order.indexOf('\0')));
        out += "\">";
        if (group.topics.size() == 1) {
            out += "<a href=\"" + names.pageBytes(group.topics.front()) + ".html\">";
            codec.appendHtml(out, group.shown);
            out += "</a></li>\n";
            continue;
        }
        out += "<span class=\"cle\">";
        codec.appendHtml(out, group.shown);
        out += "</span><ul>";
        for (const int t : group.topics) {
            out += "<li><a href=\"" + names.pageBytes(t) + ".html\">";
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
        const TreeEntry& e = tree[i];
        const QByteArray title = e.topic < 0 ? QByteArray() : topicLabel(document.topics[static_cast<size_t>(e.topic)]);
        out += '[';
        appendJson(out, codec.decode(!e.label.isEmpty() ? e.label : title));
        out += ',';
        appendJson(out, e.topic < 0 ? QString() : names.page(e.topic)); // a book opens no page
        out += ',' + QByteArray::number(e.depth);
        if (!e.label.isEmpty() && e.topic >= 0 && !document.topics[static_cast<size_t>(e.topic)].title.isEmpty() && e.label != title) {
            out += ','; // the search lists the topic by its own title
            appendJson(out, codec.decode(title));
        }
        out += ']';
    }
    out += "]});\n";
    return out;
}

QByteArray searchData(const HelpDocument& document, const TextCodec& codec, const std::vector<TreeEntry>& tree)
{
    WordTable table;
    for (size_t e = 0; e < tree.size(); ++e) {
        if (tree[e].topic < 0)
            continue; // a book has no words of its own
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
    std::vector<const WordTable::Word*> sorted;
    sorted.reserve(table.words().size());
    for (const auto& w : table.words())
        sorted.push_back(&w);
    std::sort(sorted.begin(), sorted.end(), [](const auto* a, const auto* b) { return a->text < b->text; });

    QByteArray words, lists;
    for (const auto* w : sorted) {
        if (!words.isEmpty()) {
            words += ' ';
            lists += ' ';
        }
        words.append(w->text.data(), qsizetype(w->text.size()));
        lists += encodeEntries(w->entries);
    }
    QByteArray out = "tyxRecherche({\"mots\":";
    appendJson(out, QByteArrayView(words));
    out += ",\"listes\":\"" + lists + "\"});\n";
    return out;
}

} // namespace hlp::html
