#include "winhelp/html/HtmlNames.h"


namespace hlp::html {

namespace {

// Names the site's own files use.
const char* const kReserved[] = {"index", "motscles", "recherche", "sommaire", "aide", "contextes", "images"};

constexpr int kMaxName = 100;

} // namespace

QString safeName(const QString& name)
{
    QString out;
    out.reserve(qMin(name.size(), qsizetype(kMaxName)));
    for (const QChar c : name) {
        if (out.size() >= kMaxName)
            break;
        const char16_t u = c.unicode();
        const bool ascii = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '-' || u == '_'
            || u == '.';
        out += ascii ? c : QLatin1Char('_');
    }
    if (out.isEmpty() || out.startsWith(QLatin1Char('.')))
        out.prepend(QLatin1Char('_'));
    return out;
}

SiteNames::SiteNames(const HelpDocument& document, int contentsTopic, const std::vector<std::pair<QByteArray, int>>& aliases,
    const QHash<QByteArray, QString>& preferred)
{
    for (const char* r : kReserved)
        m_taken.insert(QString::fromLatin1(r));
    const size_t n = document.topics.size();
    m_pages.resize(n);
    if (contentsTopic >= 0 && static_cast<size_t>(contentsTopic) < n)
        m_pages[static_cast<size_t>(contentsTopic)] = QStringLiteral("index");
    for (size_t t = 0; t < n; ++t) {
        const Topic& topic = document.topics[t];
        if (static_cast<int>(t) == contentsTopic)
            continue;
        const QString chosen = topic.contexts.isEmpty() ? QString() : preferred.value(topic.contexts.front().toLower());
        const QString base = topic.contexts.isEmpty() ? QStringLiteral("rubrique-%1").arg(t + 1)
            : safeName(chosen.isEmpty() ? QString::fromLatin1(topic.contexts.front()) : chosen);
        m_pages[t] = unique(base);
    }
    m_pageBytes.reserve(n);
    for (const QString& page : m_pages)
        m_pageBytes.push_back(page.toUtf8());
    // The first topic that defines a context string keeps it, as the compiler's links do.
    m_topics.reserve(n);
    for (size_t t = 0; t < n; ++t)
        for (const QByteArray& c : document.topics[t].contexts)
            m_topics.emplace(c, static_cast<int>(t));
    for (const auto& [alias, t] : aliases)
        if (t >= 0 && static_cast<size_t>(t) < n)
            m_topics.emplace(alias, t);
}

void SiteNames::addMap(const std::vector<MapEntry>& map)
{
    for (const MapEntry& e : map) {
        const int t = topic(e.context);
        if (t >= 0 && !m_numbers.contains(e.number))
            m_numbers.insert(e.number, t);
    }
}

size_t SiteNames::NoCaseHash::operator()(QByteArrayView s) const
{
    size_t h = 1469598103934665603ull;
    for (const char c : s)
        h = (h ^ static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 32 : c)) * 1099511628211ull;
    return h;
}

bool SiteNames::NoCaseEqual::operator()(QByteArrayView a, QByteArrayView b) const
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString SiteNames::unique(QString name)
{
    const QString base = name;
    for (int k = 2; m_taken.contains(name.toLower()); ++k)
        name = base + QLatin1Char('-') + QString::number(k);
    m_taken.insert(name.toLower());
    return name;
}

QString SiteNames::pictureFile(const QString& baseName, const QString& extension)
{
    return unique(QStringLiteral("images/") + safeName(baseName)) + extension;
}

} // namespace hlp::html
