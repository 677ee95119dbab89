#pragma once
// Writes a whole site at once through safefile::NewFolder: the files go into a hidden folder
// beside the target, which then takes the target's place, so a failed write never leaves half a
// site and an earlier site stays as it was until the new one is complete.
#include "winhelp/html/HtmlNames.h"

#include <QString>
#include <memory>
#include <vector>

namespace safefile {
class NewFolder;
}

namespace hlp::html {

class SiteFolder {
public:
    explicit SiteFolder(const QString& folder);
    ~SiteFolder(); // a site never committed leaves nothing behind

    // Checks the target and makes the work folder. A folder that exists is replaced only when it
    // is empty or holds a site this program wrote (its contextes.json says so): a folder named by
    // mistake is never emptied (see isHelpSite). False with a French reason.
    bool open(QString* error);
    // One file of the new site. A file that the earlier site has with the same bytes is linked to
    // it instead of written again: rebuilding an unchanged project writes almost nothing.
    bool add(const QString& name, const QByteArray& bytes, QString* error);
    // Puts the new site in the target's place.
    bool commit(QString* error);

private:
    QString m_target;
    QString m_shown; // the target as messages name it
    bool m_replacing = false;
    std::unique_ptr<safefile::NewFolder> m_work;
    QByteArray m_buffer; // an earlier file, read to compare
    int m_earlier = -1;      // the earlier site's folder, open while the new one is written
};

// Hands the files to a SiteFolder on a thread of its own, so that the disk is written while the
// next pages are made.
class FolderWriter {
public:
    explicit FolderWriter(SiteFolder& folder);
    ~FolderWriter(); // waits for the files already handed over

    // False once a file could not be written: the caller stops making the site.
    bool add(const QString& name, const QByteArray& bytes);
    // Waits for the last file; false with the reason of the first failure.
    bool finish(QString* error);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// The whole site at once through a SiteFolder.
bool writeSiteFolder(const QString& folder, const std::vector<SiteFile>& files, QString* error);

// True when `folder` holds a site this program wrote, or what a crash left of one (its
// contextes.json empty beside an index.html).
bool isHelpSite(const QString& folder);

} // namespace hlp::html
