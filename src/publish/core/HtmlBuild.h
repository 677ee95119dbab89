#pragma once
// The project as HTML help: the site (or the compiled help, .chm) is made by the compiler's HTML
// writer from the .hpj and RTF files the build wrote, with the contents tree the author gave the
// topics through their levels.
#include "winhelp/HlpCompiler.h"
#include "winhelp/html/HtmlContents.h"

#include <QStringList>
#include <functional>
#include <vector>

namespace publish {

// The topics 0 .. pageCount-1 (up to the first missing number) in number order, each with the
// depth of its level: level 1 at the top, a level-2 topic under the level-1 topic before it (the
// level-2 topics that follow one another are siblings, not a chain as in the hierarchy dialog).
std::vector<hlp::html::ContentsEntry> htmlContents(const QStringList& lines, int pageCount);

// The name of a topic's page in the site: "IDH_" and the ASCII letters and digits of its title,
// accented letters turned into their letter (the context string drops them: IDH_Lesmmoires).
QString pageName(const QString& title);

// The writing of the site into the folder `buildNames(projectFile).html` from the .hpj beside the
// project, which the build has just written from `lines`. Everything it needs of the document is
// taken now, so it may run later on another thread.
std::function<hlp::CompileResult()> htmlHelpJob(const QStringList& lines, int pageCount, const QString& projectFile);

// The same, at once.
hlp::CompileResult writeHtmlHelp(const QStringList& lines, int pageCount, const QString& projectFile);

// The writing of the compiled HTML help `buildNames(projectFile).chm` from the same .hpj, with the
// same contents tree as the site.
std::function<hlp::CompileResult()> chmHelpJob(const QStringList& lines, int pageCount, const QString& projectFile);
hlp::CompileResult writeChmHelp(const QStringList& lines, int pageCount, const QString& projectFile);

} // namespace publish
