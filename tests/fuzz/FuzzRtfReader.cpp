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
        // A paragraph, or a table row with all its cells, fits its record.
        qsizetype row = 0;
        for (size_t i = 0; i < t.paragraphs.size(); ++i) {
            const hlp::Paragraph& p = t.paragraphs[i];
            const bool continues = i > 0 && p.row >= 0 && t.paragraphs[i - 1].row == p.row;
            row = (continues ? row : 0) + hlp::paragraphBytesBound(doc, p);
            FUZZ_CHECK(row <= hlp::MaxParagraphBytes);
        }
    }
    return 0;
}
