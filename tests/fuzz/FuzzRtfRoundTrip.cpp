// A project file as a build reads it, written as the RTF topic file, then read by the compiler's
// RTF reader. Property: every topic and popup the writer wrote comes back as one topic of its own,
// with the context string the [MAP] section gives it: no text of the author merges two topics.
#include "fuzz/FuzzCheck.h"
#include "platform/core/Cp1252.h"
#include "platform/core/TextFile.h"
#include "publish/core/BlockWalk.h"
#include "publish/core/RtfWriter.h"
#include "store/core/DocumentStore.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TextRules.h"
#include "store/core/TopicRecord.h"
#include "winhelp/model/Diagnostics.h"
#include "winhelp/model/HelpModel.h"
#include "winhelp/project/RtfReader.h"

TYX_FUZZ_ENTRY
{
    store::DocumentStore doc;
    doc.DocumentLines = textfile::splitLines(fuzz::input(data, size));
    doc.countBlocks();
    if (doc.altered()) // as tyxbuild does
        doc.repair(store::FieldLook(), store::FieldLook());
    store::FieldLook title, body;
    store::litHeader(doc.DocumentLines, title, body);
    const QByteArray rtf = publish::RtfBytes(doc.DocumentLines, doc.PageCount, doc.PopupCount, title, body);

    // What the writer wrote: topics and popups up to the first missing number.
    QList<QByteArray> contexts;
    const publish::BlockWalk walk(doc.DocumentLines);
    for (int k = 0; k < doc.PageCount && walk.topic(k).found(); ++k)
        contexts << cp1252::encode(store::topicContext(store::topicTitle(doc.DocumentLines, walk.topic(k).open)));
    for (int p = 0; p < doc.PopupCount && walk.popup(p).found(); ++p)
        contexts << "Pp" + store::BlockNumber(p).toLatin1();

    hlp::HelpDocument read;
    hlp::Diagnostics diag;
    hlp::RtfReader(read, diag).read(rtf, QStringLiteral("f.rtf"));
    FUZZ_CHECK(read.topics.size() == size_t(contexts.size()));
    for (size_t i = 0; i < read.topics.size(); ++i) {
        const hlp::Topic& t = read.topics[i];
        FUZZ_CHECK(!t.contexts.isEmpty() && t.contexts.front() == contexts[qsizetype(i)]);
    }
    return 0;
}
