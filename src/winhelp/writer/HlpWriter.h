#pragma once
// Turns a read project into the bytes of a WinHelp 4.0 file: uncompressed 4 KB topic blocks, the
// internal directory and every index the viewers use.
#include "winhelp/model/HelpModel.h"

#include <QHash>
#include <vector>

namespace hlp {

struct HlpWriteInput {
    const HelpProject* project = nullptr;
    const HelpDocument* document = nullptr;
    std::vector<QByteArray> pictures;       // content of |bm0, |bm1, ...
    QHash<QByteArray, int> pictureIndex;    // picture file name as written in the text, lower-cased -> N
    QByteArray icon;                        // one-image .ico, or empty
    int contentsTopic = 0;                  // index into document->topics
    std::uint32_t generationDate = 0;       // seconds since 1970
    qsizetype topicBytesHint = 0;           // size of the topic files read: room to reserve for the topic records
};

QByteArray writeHlp(const HlpWriteInput& input);

} // namespace hlp
