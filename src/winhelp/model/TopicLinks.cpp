#include "winhelp/model/TopicLinks.h"

namespace hlp {

std::vector<bool> popupOnlyTopics(const HelpDocument& document, int contentsTopic, const TopicLookup& topicOf)
{
    const size_t n = document.topics.size();
    std::vector<bool> popup(n, false), jump(n, false);
    for (const Topic& topic : document.topics)
        forEachTopicLink(document, topic, topicOf,
            [&](LinkKind kind, int t) { (kind == LinkKind::Popup ? popup : jump)[static_cast<size_t>(t)] = true; });
    std::vector<bool> out(n, false);
    for (size_t t = 0; t < n; ++t)
        out[t] = popup[t] && !jump[t] && !document.topics[t].hasBrowse && static_cast<int>(t) != contentsTopic;
    return out;
}

} // namespace hlp
