#include "viewer/core/HelpSession.h"

#include "winhelp/html/HtmlContents.h"
#include "winhelp/model/Macros.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <algorithm>

namespace viewer {

namespace {

QByteArray upper(QByteArrayView context)
{
    QByteArray u(context.data(), context.size());
    for (char& c : u)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return u;
}

bool parseNumber(const QString& text, std::uint32_t& number)
{
    bool ok = false;
    const QString t = text.trimmed();
    const qulonglong v = t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? t.mid(2).toULongLong(&ok, 16) : t.toULongLong(&ok, 10);
    if (!ok || v > 0xFFFFFFFFull)
        return false;
    number = static_cast<std::uint32_t>(v);
    return true;
}

// The macros' names in small letters, long and short, grouped by what they do.
bool isAny(const QByteArray& name, std::initializer_list<const char*> names)
{
    return std::any_of(names.begin(), names.end(), [&name](const char* n) { return name == n; });
}

} // namespace

HelpSession::HelpSession(std::shared_ptr<const hlp::LoadedHelp> help, const QString& path)
    : m_help(std::move(help))
    , m_path(path)
    , m_codePage(hlp::CodePage::forCharset(m_help->project.textCharset))
{
    const auto& topics = m_help->document.topics;
    m_contexts.reserve(topics.size() + m_help->aliases.size());
    // The first topic that defines a context string keeps it.
    for (size_t t = 0; t < topics.size(); ++t)
        for (const QByteArray& c : topics[t].contexts)
            m_contexts.emplace(upper(c), static_cast<int>(t));
    for (const auto& [alias, t] : m_help->aliases)
        if (t >= 0 && static_cast<size_t>(t) < topics.size())
            m_contexts.emplace(upper(alias), t);
    for (const hlp::MapEntry& e : m_help->project.map) {
        const int t = topicForContext(e.context);
        if (t >= 0)
            m_numbers.emplace(e.number, t);
    }
    m_browse = hlp::browseSequences(m_help->document);
}

QString HelpSession::title() const
{
    if (const hlp::WindowDef* main = window("main"); main && !main->caption.isEmpty())
        return text(main->caption);
    if (!m_help->project.title.isEmpty())
        return text(m_help->project.title);
    if (!m_help->contents.title.isEmpty())
        return text(m_help->contents.title);
    return QFileInfo(m_path).fileName();
}

QString HelpSession::topicTitle(int topic) const
{
    if (topic < 0 || topic >= topicCount())
        return {};
    const hlp::Topic& t = m_help->document.topics[static_cast<size_t>(topic)];
    if (!t.title.isEmpty())
        return text(t.title);
    if (!t.contexts.isEmpty())
        return text(t.contexts.front());
    return QStringLiteral("Rubrique %1").arg(topic + 1);
}

const hlp::WindowDef* HelpSession::window(const QByteArray& name) const
{
    for (const hlp::WindowDef& w : m_help->project.windows)
        if (w.name.compare(name, Qt::CaseInsensitive) == 0)
            return &w;
    return nullptr;
}

int HelpSession::topicForContext(QByteArrayView context) const
{
    const auto it = m_contexts.find(upper(context));
    return it == m_contexts.end() ? -1 : it->second;
}

int HelpSession::topicForNumber(std::uint32_t number) const
{
    const auto it = m_numbers.find(number);
    return it == m_numbers.end() ? -1 : it->second;
}

int HelpSession::topicForArgument(const QString& context) const
{
    std::uint32_t number = 0;
    if (parseNumber(context, number)) {
        const int t = topicForNumber(number);
        if (t >= 0)
            return t;
    }
    return topicForContext(m_codePage.encode(context.trimmed()));
}

hlp::BrowseNeighbours HelpSession::browse(int topic) const
{
    return topic >= 0 && static_cast<size_t>(topic) < m_browse.size() ? m_browse[static_cast<size_t>(topic)] : hlp::BrowseNeighbours{};
}

const std::vector<ContentsNode>& HelpSession::contents() const
{
    if (!m_contentsBuilt)
        buildContents();
    return m_contents;
}

void HelpSession::buildContents() const
{
    m_contentsBuilt = true;
    const hlp::ContentsFile& cnt = m_help->contents;
    if (!cnt.empty()) {
        int last = -1;
        for (const hlp::ContentsLine& line : cnt.lines) {
            ContentsNode node;
            node.text = text(line.text);
            node.depth = std::clamp(line.level - 1, 0, last + 1);
            last = node.depth;
            node.window = line.window;
            // A topic of another help file has no place here: its line stays, as a heading.
            if (!line.book() && line.file.isEmpty())
                node.topic = topicForContext(line.context);
            if (line.book() || node.topic >= 0)
                m_contents.push_back(node);
        }
        return;
    }
    const hlp::html::SiteNames names(m_help->document, m_help->contentsTopic, m_help->aliases);
    const std::vector<bool> popupOnly = hlp::html::popupOnlyTopics(m_help->document, names, m_help->contentsTopic);
    for (const hlp::html::TreeEntry& e : hlp::html::contentsTree(m_help->document, names, m_help->contentsTopic, popupOnly, {}))
        m_contents.push_back(ContentsNode{topicTitle(e.topic), e.topic, e.depth, {}});
}

QString HelpSession::fold(const QString& text)
{
    QString out;
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    out.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        out += c.toLower();
    }
    return out;
}

const std::vector<Keyword>& HelpSession::keywords() const
{
    if (!m_keywordsBuilt)
        buildKeywords();
    return m_keywords;
}

void HelpSession::buildKeywords() const
{
    m_keywordsBuilt = true;
    QHash<QString, size_t> byKey;
    const auto& topics = m_help->document.topics;
    for (size_t t = 0; t < topics.size(); ++t)
        for (const QByteArray& k : topics[t].keywords) {
            const QString shown = text(k).trimmed();
            if (shown.isEmpty())
                continue;
            const QString key = fold(shown);
            auto it = byKey.find(key);
            if (it == byKey.end()) {
                it = byKey.insert(key, m_keywords.size());
                m_keywords.push_back(Keyword{shown, {}});
            }
            std::vector<int>& list = m_keywords[*it].topics;
            if (std::find(list.begin(), list.end(), static_cast<int>(t)) == list.end())
                list.push_back(static_cast<int>(t));
        }
    std::vector<std::pair<QString, size_t>> order;
    order.reserve(m_keywords.size());
    for (size_t i = 0; i < m_keywords.size(); ++i)
        order.emplace_back(fold(m_keywords[i].text), i);
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Keyword> sorted;
    sorted.reserve(order.size());
    m_keywordKeys.clear();
    for (const auto& [key, i] : order) {
        sorted.push_back(std::move(m_keywords[i]));
        m_keywordKeys.push_back(key);
    }
    m_keywords = std::move(sorted);
}

std::vector<int> HelpSession::filterKeywords(const QString& filter) const
{
    keywords();
    const QString f = fold(filter.trimmed());
    std::vector<int> out;
    for (size_t i = 0; i < m_keywordKeys.size(); ++i)
        if (m_keywordKeys[i].startsWith(f))
            out.push_back(static_cast<int>(i));
    return out;
}

std::vector<int> HelpSession::keywordTopics(const QStringList& wanted) const
{
    keywords();
    std::vector<int> out;
    for (const QString& w : wanted) {
        const QString key = fold(w.trimmed());
        const auto it = std::lower_bound(m_keywordKeys.begin(), m_keywordKeys.end(), key);
        if (it == m_keywordKeys.end() || *it != key)
            continue;
        for (const int t : m_keywords[static_cast<size_t>(it - m_keywordKeys.begin())].topics)
            if (std::find(out.begin(), out.end(), t) == out.end())
                out.push_back(t);
    }
    return out;
}

void HelpSession::buildSearchText() const
{
    const auto& topics = m_help->document.topics;
    m_titleText.resize(topics.size());
    m_bodyText.resize(topics.size());
    for (size_t t = 0; t < topics.size(); ++t) {
        m_titleText[t] = fold(text(topics[t].title));
        QByteArray body;
        for (const hlp::Paragraph& p : topics[t].paragraphs) {
            for (const hlp::Item& it : p.items)
                if (it.kind == hlp::ItemKind::Text)
                    body += it.text;
                else if (it.kind != hlp::ItemKind::HotspotBegin && it.kind != hlp::ItemKind::HotspotEnd)
                    body += ' ';
            body += '\n';
        }
        m_bodyText[t] = fold(text(body));
    }
}

std::vector<int> HelpSession::search(const QString& words) const
{
    const QStringList wanted = fold(words).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (wanted.isEmpty())
        return {};
    if (m_titleText.empty() && topicCount() > 0)
        buildSearchText();
    const auto holdsAll = [&wanted](const QString& text) {
        return std::all_of(wanted.begin(), wanted.end(), [&text](const QString& w) { return text.contains(w); });
    };
    std::vector<int> inTitle, inText;
    for (int t = 0; t < topicCount(); ++t) {
        if (holdsAll(m_titleText[static_cast<size_t>(t)]))
            inTitle.push_back(t);
        else if (holdsAll(m_bodyText[static_cast<size_t>(t)]))
            inText.push_back(t);
    }
    inTitle.insert(inTitle.end(), inText.begin(), inText.end());
    return inTitle;
}

bool HelpSession::isThisFile(const QByteArray& file) const
{
    if (file.isEmpty())
        return true;
    QString name = text(file).trimmed();
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    name = QFileInfo(name).fileName();
    // "NAME.HLP>window": the window after the file.
    if (const qsizetype w = name.indexOf(QLatin1Char('>')); w >= 0)
        name.truncate(w);
    return name.isEmpty() || name.compare(QFileInfo(m_path).fileName(), Qt::CaseInsensitive) == 0;
}

MacroPlan HelpSession::macros(const QByteArray& macros, int current) const
{
    MacroPlan plan;
    for (const QByteArray& one : hlp::splitMacros(macros)) {
        const hlp::MacroCall call = hlp::parseMacro(one);
        const QByteArray n = call.lowerName();
        const QList<QByteArray>& a = call.args;
        MacroAction act;
        const auto otherFile = [&](const QByteArray& file, const QByteArray& context) {
            QString name = text(file).trimmed();
            name.replace(QLatin1Char('\\'), QLatin1Char('/'));
            if (const qsizetype w = name.indexOf(QLatin1Char('>')); w >= 0)
                name.truncate(w);
            act.kind = MacroAction::Kind::OtherFile;
            act.file = QFileInfo(m_path).dir().filePath(QFileInfo(name).fileName());
            act.context = context;
            plan.actions.push_back(act);
        };
        if (isAny(n, {"jumpid", "ji", "popupid", "pi"}) && a.size() >= 2) {
            const bool popup = isAny(n, {"popupid", "pi"});
            if (!isThisFile(a[0]) && !popup) {
                otherFile(a[0], a[1]);
                continue;
            }
            act.kind = popup ? MacroAction::Kind::Popup : MacroAction::Kind::Jump;
            act.topic = topicForContext(a[1]);
            if (const qsizetype w = a[0].indexOf('>'); w >= 0 && !popup)
                act.window = a[0].mid(w + 1).trimmed();
            if (act.topic < 0)
                plan.missing << text(a[1]);
            else
                plan.actions.push_back(act);
        } else if (isAny(n, {"jumpcontext", "jc", "popupcontext", "pc"}) && a.size() >= 2) {
            std::uint32_t number = 0;
            act.kind = isAny(n, {"popupcontext", "pc"}) ? MacroAction::Kind::Popup : MacroAction::Kind::Jump;
            act.topic = parseNumber(text(a[1]), number) && isThisFile(a[0]) ? topicForNumber(number) : -1;
            if (act.topic < 0)
                plan.missing << text(a[1]);
            else
                plan.actions.push_back(act);
        } else if (isAny(n, {"jumpcontents", "contents"})) {
            act.kind = MacroAction::Kind::Contents;
            plan.actions.push_back(act);
        } else if (isAny(n, {"search", "finder", "ft"})) {
            act.kind = MacroAction::Kind::Search;
            plan.actions.push_back(act);
        } else if (isAny(n, {"back"})) {
            act.kind = MacroAction::Kind::Back;
            plan.actions.push_back(act);
        } else if (isAny(n, {"next", "prev"})) {
            // At an end of the sequence it does nothing, as in the viewers of the format.
            act.kind = n == "next" ? MacroAction::Kind::Next : MacroAction::Kind::Prev;
            act.topic = n == "next" ? browse(current).next : browse(current).previous;
            plan.actions.push_back(act);
        } else if (isAny(n, {"klink", "kl", "alink", "al"}) && !a.isEmpty()) {
            act.kind = MacroAction::Kind::Keywords;
            act.keywords = text(a[0]).split(QLatin1Char(';'), Qt::SkipEmptyParts);
            plan.actions.push_back(act);
        } else if (isAny(n, {"jumpkeyword", "jk"}) && a.size() >= 2) {
            act.kind = MacroAction::Kind::Keywords;
            act.keywords = QStringList{text(a[1])};
            act.firstOnly = true;
            plan.actions.push_back(act);
        } else if (!call.name.isEmpty()) {
            plan.unavailable << text(call.name);
        }
    }
    return plan;
}

void History::visit(int topic)
{
    if (current() == topic)
        return;
    m_topics.resize(static_cast<size_t>(m_at + 1));
    m_topics.push_back(topic);
    m_at = static_cast<int>(m_topics.size()) - 1;
}

int History::back()
{
    if (!canGoBack())
        return -1;
    return m_topics[static_cast<size_t>(--m_at)];
}

int History::forward()
{
    if (!canGoForward())
        return -1;
    return m_topics[static_cast<size_t>(++m_at)];
}

void History::clear()
{
    m_topics.clear();
    m_at = -1;
}

} // namespace viewer
