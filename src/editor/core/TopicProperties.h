#pragma once
// What the properties dialog says about a topic as stored: title, context string, links, counts.
#include <QStringList>

namespace editor {

// The dialog's lines for topic `page`; empty when the topic has no block.
QStringList topicProperties(const QStringList& lines, int page);

} // namespace editor
