#pragma once
// What the .hlp format can hold: a paragraph's text is counted in 15 bits, and the title index
// keeps titles to a fixed length. The compiler fits the document to these before writing, and
// tells the author what it changed.
#include "winhelp/model/Diagnostics.h"
#include "winhelp/model/HelpModel.h"

namespace hlp {

// Longest title kept, in bytes: the topic header and the title index hold the same one.
inline constexpr int MaxTitleBytes = 1000;
// Most text one paragraph record holds (its TopicLength is a compressed 15-bit number).
inline constexpr int MaxParagraphBytes = 32767;

// The record's text size as the writer makes it is at most this: the characters, one byte per
// command (a font change before any text or hot spot), the hot spots of pictures, and the closing
// commands. A table row's record holds all its cells.
int paragraphBytesBound(const HelpDocument& doc, const Paragraph& p);

// Cuts titles and paragraphs that the format cannot hold, with a warning for each: a long
// paragraph becomes several paragraphs of the same format (a hot spot cut in two stays one link
// in each piece), and a table row too long for its record becomes plain paragraphs; no text is
// lost.
void fitLimits(HelpDocument& doc, Diagnostics& diag);

} // namespace hlp
