#include "winhelp/reader/HelpFileRead.h"

#include "winhelp/model/Diagnostics.h"

namespace hlp {

HelpFileRead readHelpProject(const QString& hpjPath)
{
    HelpFileRead read;
    auto help = std::make_shared<LoadedHelp>();
    const CompileResult result = HlpCompiler().compile(hpjPath, hpjPath, [&](const ReadHelp& r) {
        help->project = r.project;
        help->document = r.document;
        help->contentsTopic = r.contentsTopic;
        help->aliases = r.aliases;
        return true;
    });
    read.warnings = result.diagnostics;
    if (!read.warnings.isEmpty())
        read.warnings.removeLast(); // the summary line speaks of a written file
    if (result.written)
        read.help = std::move(help);
    else
        read.error = result.diagnostics.join(QLatin1Char('\n'));
    return read;
}

} // namespace hlp
