#pragma once
// Browse sequences: the topics with a '+' footnote, chained within their group ("group:order",
// the group before the colon, compared without letter case) in the order of the text after it;
// topics of equal order keep the order of the files.
#include "winhelp/model/HelpModel.h"

#include <vector>

namespace hlp {

struct BrowseNeighbours {
    int previous = -1; // index into HelpDocument::topics, -1 at the start of a sequence
    int next = -1;     // -1 at its end
};

// One entry per topic of `document`; topics outside every sequence have neither neighbour.
std::vector<BrowseNeighbours> browseSequences(const HelpDocument& document);

} // namespace hlp
