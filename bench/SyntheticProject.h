#pragma once
// A generated project of N topics (accents, markup, keywords, see-also links, popups) for the
// benchmark and for large-project checks.
#include <QStringList>

namespace bench {

QStringList syntheticProject(int topics);

} // namespace bench
