#pragma once
// The contents file (.cnt) that ships beside a WinHelp 4 help file: header commands (":Base",
// ":Title" ...) and numbered lines, "1 Book" for a heading, "2 Text=context[@file][>window]" for a
// topic. Bytes in the help's code page; lines end with CR LF when written.
#include "winhelp/model/LoadedHelp.h"

#include <QByteArray>

namespace hlp {

// Lines that are neither commands nor numbered entries (comments, blank lines, ":Include",
// ":Index", ":Link" ...) are skipped; a level is never more than one below the line before it.
ContentsFile parseContentsFile(const QByteArray& text);

// The file for a tree; a '=' in a text is written as "\=" so that it does not end the text.
QByteArray formatContentsFile(const ContentsFile& contents);

} // namespace hlp
