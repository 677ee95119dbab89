#pragma once
// HTML help: the same project as a help site that opens in any browser, from the disk or from
// any web server (UTF-8, no outside resource).
//
//     const hlp::CompileResult r = hlp::html::writeHtmlHelp(QStringLiteral("/aide/DEMO.hpj"),
//                                                           QStringLiteral("/aide/DEMO-html"));
//     if (!r.written) ... // r.diagnostics says why, in French, as for the .hlp file
#include "winhelp/HlpCompiler.h"
#include "winhelp/html/HtmlSite.h"
#include "winhelp/model/LoadedHelp.h"

namespace hlp::html {

// Reads and checks the project exactly as the .hlp compile does, then writes its site into
// `folder` (see writeSiteFolder). The result's hlpPath is the folder.
CompileResult writeHtmlHelp(const QString& hpjPath, const QString& folder, const HtmlOptions& options = {});

// The site of a help already read (a help file, with the .cnt beside it): its contents tree is the
// contents file's when there is one (books and topics), else the one read from the links. The
// result's hlpPath is the folder; its diagnostics hold the writer's messages.
CompileResult writeHtmlHelp(const LoadedHelp& help, const QString& folder, const HtmlOptions& options = {});

// Entry point for a fuzzer: the site made from one topic file given as bytes, with no project
// file; no file is read or written. Returns how many files the site has.
int siteFromTopicFile(const QByteArray& rtf);

} // namespace hlp::html
