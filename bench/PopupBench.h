#pragma once
// The popup commands on the loaded benchmark project, through the real windows with a seam that
// closes each dialog at once.
#include <QString>
#include <functional>

class TPagesHlp;

namespace bench {

// Lines PopupNew, PopupList, PopupRemove. `pages` reloads `projectPath` as it needs.
void popupBenchmarks(TPagesHlp& pages, const QString& projectPath,
    const std::function<void(const char* name, double ms)>& report);

} // namespace bench
