#pragma once
// The see-also link of a topic: the text after the first backslash of its keyword line, the
// context key of the linked topic's title, so the link survives renumbering.
#include <QString>
#include <QStringList>

namespace editor {

// The target stored for a link to the topic titled `title`.
QString seeAlsoTarget(const QString& title);

// Puts `target` after the first backslash of topic `page`'s keyword line, replacing what stood
// there. False, with nothing changed, when the topic has no block or its block no keyword line.
bool setSeeAlso(QStringList& lines, int page, const QString& target);
// Cuts topic `page`'s keyword line before its first backslash. False when the topic has no block;
// a line without a backslash stays as it is.
bool clearSeeAlso(QStringList& lines, int page);

} // namespace editor
