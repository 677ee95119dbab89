#pragma once
// Text that reaches the RTF file as the author wrote it but not as the author meant it: a word
// after a backslash that the compiler does not know (a pasted path, C:\Calculo, loses "Calculo"),
// and two body lines without the paragraph mark between them, which the help joins without a
// space. The build names each topic and popup where it happens.
#include <QStringList>

namespace publish {

// The control words of one line of topic text, without their backslash, in order, after the
// escapes the RTF writer makes (so "\\" and "\{" are text, as in the file).
QStringList controlWords(QStringView line);

// One French sentence per topic (title and body) and popup that holds a control word the
// compiler does not know, in the order of the RTF file, then one per topic whose body joins two
// lines without a space.
QStringList textWarnings(const QStringList& documentLines, int pageCount, int popupCount);

} // namespace publish
