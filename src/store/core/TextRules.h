#pragma once
// Small text rules shared across the program.
#include <QString>

namespace store {

QString TrimSpaces(const QString& s); // leading and trailing code-32 spaces only
QString AlnumOnly(const QString& s);  // ASCII letters and digits only
inline QString ContextKey(const QString& title) { return AlnumOnly(title); }

// Replaces the extension (from the last "." of the file name part) or appends `ext` (".hpa").
QString forceExtension(const QString& path, const QString& ext);
// The file name part after the last "/" or "\".
QString fileNamePart(const QString& path);
// The folder part including its final separator, or empty.
QString folderPart(const QString& path);

} // namespace store
