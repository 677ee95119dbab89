#pragma once
// The names of the site's pages and pictures, and which page a context string opens. Page names
// are the topics' context strings, so that they stay the same from one build to the next and a
// context number can be turned into a page (contextes.json).
#include "winhelp/model/HelpModel.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <functional>
#include <unordered_map>
#include <vector>

namespace hlp::html {

// One file of the site.
struct SiteFile {
    QString name; // relative to the site's folder, '/' between folders
    QByteArray bytes;
};

// Takes the site's files one at a time, as they are made; false stops the site.
using SiteSink = std::function<bool(const QString& name, const QByteArray& bytes)>;

class SiteNames {
public:
    // The contents topic is index.html; every other topic is named after its first context string
    // (characters other than letters, digits, '.', '-' and '_' become '_'), or "rubrique-N" when it
    // has none. Names that would clash, letter case aside, get "-2", "-3"... The [ALIAS] names
    // (name -> topic) open their topics too. `preferred` gives some topics, by the first context
    // string (lower-cased), the name their page takes instead.
    SiteNames(const HelpDocument& document, int contentsTopic, const std::vector<std::pair<QByteArray, int>>& aliases = {},
        const QHash<QByteArray, QString>& preferred = {});

    // The page of a topic, without ".html".
    const QString& page(int topic) const { return m_pages[static_cast<size_t>(topic)]; }
    // The same in UTF-8, as the pages are written.
    const QByteArray& pageBytes(int topic) const { return m_pageBytes[static_cast<size_t>(topic)]; }
    // The topic a context string opens (letter case ignored, first definition wins), or -1.
    int topic(QByteArrayView context) const
    {
        const auto it = m_topics.find(context);
        return it == m_topics.end() ? -1 : it->second;
    }
    // The [MAP] numbers, for the macros that jump by number (first number wins).
    void addMap(const std::vector<MapEntry>& map);
    int topicForNumber(std::uint32_t number) const { return m_numbers.value(number, -1); }
    // A free name in the images folder for a picture called `baseName` (no folder, no extension),
    // with the given extension: "images/logo.png".
    QString pictureFile(const QString& baseName, const QString& extension);

private:
    QString unique(QString name);

    // Context strings compared as the viewer compares them: ASCII letters without their case.
    struct NoCaseHash {
        using is_transparent = void;
        size_t operator()(QByteArrayView s) const;
    };
    struct NoCaseEqual {
        using is_transparent = void;
        bool operator()(QByteArrayView a, QByteArrayView b) const;
    };

    std::vector<QString> m_pages;
    std::vector<QByteArray> m_pageBytes;
    std::unordered_map<QByteArray, int, NoCaseHash, NoCaseEqual> m_topics;
    QSet<QString> m_taken; // lower-cased
    QHash<std::uint32_t, int> m_numbers;
};

// Keeps letters, digits, '.', '-' and '_'; anything else becomes '_'. Never empty, never hidden.
QString safeName(const QString& name);

} // namespace hlp::html
