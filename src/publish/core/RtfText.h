#pragma once
// The small text rules of the RTF topic file: byte escapes, the containment of the author's RTF,
// colour and size selectors, the fixed header and the keyword text. All pure.
#include "store/core/HeaderBlock.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace publish {

// Topic text already holds RTF, so only tabs, control characters and bytes above 127 change;
// the paragraph mark stays itself wherever it stands.
QString RtfEscape(QStringView line);
// The same escape, appended as the bytes of the file (ASCII, and 0xB6 for the paragraph mark).
void appendEscaped(QByteArray& out, QStringView line);
// The same, written at `out`, which has room for EscapeRoom bytes per character of `line` (a
// little more is written than kept); returns the end of what is kept.
inline constexpr qsizetype EscapeRoom = 5;
char* escapeInto(char* out, QStringView line);

// Keeps the author's RTF inside its topic. From `from` on: a backslash left unfinished at the end
// (alone, or "\'" without its two hex digits), a destination word (\txe, \footnote, \* ...)
// outside a group the text opened, a \bin and a \page of the text's own become plain text; a closing
// brace with no open group of the text's own becomes a plain brace. So nothing can swallow the
// \page or the braces the writer puts after the text, or cut a topic in two. `depth` carries the
// text's open groups from one line to the next; the writer closes them at the end of the topic.
// True when a byte changed.
bool containRtf(QByteArray& bytes, qsizetype from, int& depth);
// The same on the `n` bytes at `text`, left as they are: false when none changes, else true with
// all `n` bytes, contained, in `fixed`.
bool containInto(const char* text, qsizetype n, int& depth, QByteArray& fixed);
// A title for the RTF: escaped, contained and closed (it stands inside the writer's own groups).
QString RtfTitle(QStringView title);
QByteArray RtfTitleBytes(QStringView title);
// The same containment on text that is escaped later: the title of a contents link.
QString RtfContained(QStringView text);

// "\cf" + index in the header's colour table + " ", or "\cf0 " for a colour outside it.
QString ColourCode(store::ColourWord colour);
// Index of the colour in the colour table, or -1.
int colourIndex(store::ColourWord colour);

// "\fs" + half-points, without a trailing space.
QString SizeSelector(int points);

// The four fixed lines in front of every topic file.
QStringList RtfHeader();

// The text of a topic's K footnote from the keyword part of its keyword line (everything before
// the first backslash, level digit included); empty when the topic has no keywords.
QByteArray keywordText(QStringView keywordPart);

inline constexpr int MaxFootnoteKeywords = 255;
inline constexpr int MaxSeeAlsoTarget = 255;

} // namespace publish
