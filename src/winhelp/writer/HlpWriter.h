#pragma once
// Turns a read project into the bytes of a WinHelp 4.0 file: the topic blocks (uncompressed, or
// LZ77-compressed when the project asks for it), the internal directory and every index the
// viewers use.
#include "winhelp/model/HelpModel.h"

#include <vector>

namespace hlp {

struct HlpWriteInput {
    const HelpProject* project = nullptr;
    const HelpDocument* document = nullptr;
    std::vector<QByteArray> pictures;       // content of |bm0, |bm1, ...
    std::vector<int> pictureNumber;         // HelpDocument::pictures index -> N of its |bmN; -1: not stored
    QByteArray icon;                        // one-image .ico, or empty
    int contentsTopic = 0;                  // index into document->topics
    std::vector<std::pair<QByteArray, int>> aliases; // [ALIAS] name -> index of the topic it leads to
    int charset = -1;                       // the |SYSTEM character set record; -1: none
    bool compress = false;                  // LZ77 topic blocks
    std::vector<std::pair<QByteArray, QByteArray>> baggage; // internal file name -> content
    std::uint32_t generationDate = 0;       // seconds since 1970
    qsizetype topicBytesHint = 0;           // size of the topic files read: room to reserve for the topic records
};

QByteArray writeHlp(const HlpWriteInput& input);

} // namespace hlp
