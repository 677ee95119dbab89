#pragma once
// Writes a whole site at once: the files go into a hidden folder beside the target, which then
// takes the target's place, so a failed write never leaves half a site and an earlier site stays
// as it was until the new one is complete.
#include "winhelp/html/HtmlNames.h"

#include <QString>
#include <vector>

namespace hlp::html {

// False with a French reason when the site could not be written. A folder that exists is
// replaced only when it is empty or holds a site this program wrote (its contextes.json says so):
// a folder named by mistake is never emptied.
bool writeSiteFolder(const QString& folder, const std::vector<SiteFile>& files, QString* error);

// True when `folder` holds a site this program wrote.
bool isHelpSite(const QString& folder);

} // namespace hlp::html
