// The compiler's .hpj reader on any bytes. Property: no crash, no hang, no sanitizer report.
#include "fuzz/FuzzCheck.h"
#include "winhelp/model/Diagnostics.h"
#include "winhelp/project/HpjReader.h"

TYX_FUZZ_ENTRY
{
    hlp::HelpProject project;
    hlp::Diagnostics diag;
    hlp::HpjReader::parse(fuzz::input(data, size), project, diag, nullptr, QStringLiteral("p.hpj"));
    return 0;
}
