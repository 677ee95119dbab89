#pragma once
// Links that follow their topic: a topic is reached by the key of its title ("IDH_" + key), so a
// new title leaves the see-also links and the jumps of other topics and popups pointing nowhere
// unless they are moved to the new key.
#include <QString>
#include <QStringList>

namespace editor {

// How many links lead to `key`: see-also targets, and "IDH_" + key as a whole word in the text of
// the topics and popups (a jump's hidden text, a macro), letter case ignored as the help ignores it.
int countLinks(const QStringList& lines, const QString& key);

// Whether a topic other than `page` has a title of that key (links to it still lead there).
bool keyTaken(const QStringList& lines, const QString& key, int page);

// Moves every link counted by countLinks to `newKey`; returns how many moved.
int moveLinks(QStringList& lines, const QString& oldKey, const QString& newKey);

} // namespace editor
