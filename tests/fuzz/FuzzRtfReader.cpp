// The compiler's RTF reader on any bytes, then the limits the writer needs. Property: no crash, no
// hang, no sanitizer report; every paragraph fits its record afterwards.
#include "fuzz/FuzzCheck.h"
#include "winhelp/model/Diagnostics.h"
#include "winhelp/model/Limits.h"
#include "winhelp/project/RtfReader.h"

TYX_FUZZ_ENTRY
{
    hlp::HelpDocument doc;
    hlp::Diagnostics diag;
    hlp::RtfReader(doc, diag).read(fuzz::input(data, size), QStringLiteral("f.rtf"));
    hlp::fitLimits(doc, diag);
    for (const hlp::Topic& t : doc.topics) {
        FUZZ_CHECK(t.title.size() <= hlp::MaxTitleBytes);
        for (const hlp::Paragraph& p : t.paragraphs)
            FUZZ_CHECK(hlp::paragraphBytesBound(p) <= hlp::MaxParagraphBytes);
    }
    return 0;
}
