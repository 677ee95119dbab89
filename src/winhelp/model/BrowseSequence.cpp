#include "winhelp/model/BrowseSequence.h"

#include <algorithm>
#include <map>

namespace hlp {

std::vector<BrowseNeighbours> browseSequences(const HelpDocument& document)
{
    const auto& topics = document.topics;
    std::vector<BrowseNeighbours> out(topics.size());
    std::map<QByteArray, std::vector<int>> groups;
    for (size_t t = 0; t < topics.size(); ++t) {
        const Topic& topic = topics[t];
        if (!topic.hasBrowse)
            continue;
        const qsizetype colon = topic.browse.indexOf(':');
        groups[colon >= 0 ? topic.browse.left(colon).toLower() : QByteArray()].push_back(static_cast<int>(t));
    }
    for (auto& [group, members] : groups) {
        std::stable_sort(members.begin(), members.end(), [&topics](int a, int b) {
            const QByteArray& x = topics[static_cast<size_t>(a)].browse;
            const QByteArray& y = topics[static_cast<size_t>(b)].browse;
            return x.mid(x.indexOf(':') + 1).toLower() < y.mid(y.indexOf(':') + 1).toLower();
        });
        for (size_t i = 0; i + 1 < members.size(); ++i) {
            out[static_cast<size_t>(members[i])].next = members[i + 1];
            out[static_cast<size_t>(members[i + 1])].previous = members[i];
        }
    }
    return out;
}

} // namespace hlp
