#pragma once
// A compiled help back to outputs: the benchmark project's .hlp read and made into a site, and
// into a project.
#include <QString>
#include <functional>

namespace bench {

// Lines HlpToHtml (the .hlp `hlpPath` read, then its site written into a folder of `work`) and
// HlpToHpa; then one comment per help file of `largest` (read and site, once, with its size).
// `html` is the site made from the project, for the ratio. False when an output was not written.
bool helpFileBenchmarks(const QString& hlpPath, const QStringList& largest, const QString& work, double html,
    const std::function<void(const char* name, double ms)>& report);

} // namespace bench
