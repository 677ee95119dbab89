#pragma once
// The links between the topics of a help: what a topic jumps to or pops up, in its text and in the
// hot spots of its pictures, and the topics that only popups open (shown over another topic, never
// as pages of their own). Context strings are looked up by the caller, so that every output finds
// them as it names them.
#include "winhelp/model/HelpModel.h"

#include <QByteArrayView>
#include <functional>
#include <vector>

namespace hlp {

// The topic a context string opens, or -1.
using TopicLookup = std::function<int(QByteArrayView context)>;

// Calls `link(kind, topic)` for every jump and popup of a topic, in text order: its hot spots and
// those of the pictures it shows. Links to other help files and macros are not topics of the help.
template <typename Lookup, typename Link>
void forEachTopicLink(const HelpDocument& document, const Topic& topic, const Lookup& topicOf, Link link)
{
    for (const Paragraph& p : topic.paragraphs)
        for (const Item& it : p.items) {
            if (it.kind == ItemKind::HotspotBegin && it.link != LinkKind::Macro && topic.linkTarget(it).file.isEmpty()) {
                if (const int t = topicOf(it.text); t >= 0)
                    link(it.link, t);
            } else if (it.kind == ItemKind::Picture && it.picture >= 0 && static_cast<size_t>(it.picture) < document.pictures.size()) {
                for (const PictureHotspot& h : document.pictures[static_cast<size_t>(it.picture)].hotspots)
                    if (h.link != LinkKind::Macro && h.file.isEmpty())
                        if (const int t = topicOf(h.target); t >= 0)
                            link(h.link, t);
            }
        }
}

// True for the topics that popups open and no jump, browse sequence or contents names.
std::vector<bool> popupOnlyTopics(const HelpDocument& document, int contentsTopic, const TopicLookup& topicOf);

} // namespace hlp
