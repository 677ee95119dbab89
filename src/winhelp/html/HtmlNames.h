#pragma once
// The names of the site's pages and pictures, and which page a context string opens. Page names
// are the topics' context strings, so that they stay the same from one build to the next and a
// context number can be turned into a page (contextes.json).
#include "winhelp/model/HelpModel.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <functional>
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
    // has none. Names that would clash, letter case aside, get "-2", "-3"...
    SiteNames(const HelpDocument& document, int contentsTopic);

    // The page of a topic, without ".html".
    const QString& page(int topic) const { return m_pages[static_cast<size_t>(topic)]; }
    // The topic a context string opens (letter case ignored, first definition wins), or -1.
    int topic(const QByteArray& context) const { return m_topics.value(context.toLower(), -1); }
    // A free file name in the images folder for a picture file, without the folder.
    QString pictureFile(const QString& sourceName);

private:
    QString unique(QString name);

    std::vector<QString> m_pages;
    QHash<QByteArray, int> m_topics;
    QSet<QString> m_taken; // lower-cased
};

// Keeps letters, digits, '.', '-' and '_'; anything else becomes '_'. Never empty, never hidden.
QString safeName(const QString& name);

} // namespace hlp::html
