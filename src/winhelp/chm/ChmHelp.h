#pragma once
// Compiled HTML help (.chm): the help site's pages and pictures packed in one file that Windows
// opens by itself, with what its viewer reads: the title, default topic and window (#SYSTEM,
// #WINDOWS), the contents tree (.hhc, the site's tree) and the keyword index (.hhk), the topics'
// titles and addresses (#TOPICS, #URLTBL, #URLSTR, #STRINGS) and the [MAP] numbers that an
// application's context help opens (#IVB). The site's search page and its script stay out: the
// viewer has its own.
//
//     const hlp::CompileResult r = hlp::chm::writeChmHelp(QStringLiteral("/aide/DEMO.hpj"),
//                                                         QStringLiteral("/aide/DEMO.chm"));
#include "winhelp/HlpCompiler.h"
#include "winhelp/html/HtmlSite.h"

namespace hlp::chm {

// The names the viewer's files have inside every .chm this program writes.
inline constexpr char ContentsFile[] = "sommaire.hhc";
inline constexpr char IndexFile[] = "motscles.hhk";
inline constexpr char DefaultWindow[] = "main";

// The .chm's bytes. `baseName` is the file's name without folder or extension.
QByteArray makeChm(const ReadHelp& help, const html::HtmlOptions& options, const QString& baseName);

// Reads and checks the project as the .hlp compile does, then writes its .chm to `chmPath`
// through the one write path: an earlier file stays as it was when this one cannot be made.
CompileResult writeChmHelp(const QString& hpjPath, const QString& chmPath, const html::HtmlOptions& options = {});
// The same from a help already read (a project, or a help file through the reader).
bool writeChm(const ReadHelp& help, const html::HtmlOptions& options, const QString& chmPath);

// The Windows language of the help: the project's LCID, else the usual language of its code page
// (French for Western text).
std::uint32_t helpLanguage(const ReadHelp& help);

} // namespace hlp::chm
