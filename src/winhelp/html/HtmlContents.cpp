#include "winhelp/html/HtmlContents.h"

#include <algorithm>

namespace hlp::html {

namespace {

constexpr int kDeepest = 3; // derived trees stop at four levels

// Calls `link(kind, topic)` for every jump and popup of a topic, in text order: its hot spots and
// those of the pictures it shows. Links to other help files and macros are not topics of the site.
template <typename Link>
void forEachLink(const HelpDocument& document, const Topic& topic, const SiteNames& names, Link link)
{
    for (const Paragraph& p : topic.paragraphs)
        for (const Item& it : p.items) {
            if (it.kind == ItemKind::HotspotBegin && it.link != LinkKind::Macro && topic.linkTarget(it).file.isEmpty()) {
                if (const int t = names.topic(it.text); t >= 0)
                    link(it.link, t);
            } else if (it.kind == ItemKind::Picture && it.picture >= 0 && static_cast<size_t>(it.picture) < document.pictures.size()) {
                for (const PictureHotspot& h : document.pictures[static_cast<size_t>(it.picture)].hotspots)
                    if (h.link != LinkKind::Macro && h.file.isEmpty())
                        if (const int t = names.topic(h.target); t >= 0)
                            link(h.link, t);
            }
        }
}

// The topics a topic jumps to, in text order, each once.
std::vector<int> jumpTargets(const HelpDocument& document, const Topic& topic, const SiteNames& names)
{
    std::vector<int> out;
    forEachLink(document, topic, names, [&out](LinkKind kind, int t) {
        if (kind == LinkKind::Jump && std::find(out.begin(), out.end(), t) == out.end())
            out.push_back(t);
    });
    return out;
}

} // namespace

std::vector<bool> popupOnlyTopics(const HelpDocument& document, const SiteNames& names, int contentsTopic)
{
    const size_t n = document.topics.size();
    std::vector<bool> popup(n, false), jump(n, false);
    for (const Topic& topic : document.topics)
        forEachLink(document, topic, names,
            [&](LinkKind kind, int t) { (kind == LinkKind::Popup ? popup : jump)[static_cast<size_t>(t)] = true; });
    std::vector<bool> out(n, false);
    for (size_t t = 0; t < n; ++t)
        out[t] = popup[t] && !jump[t] && !document.topics[t].hasBrowse && static_cast<int>(t) != contentsTopic;
    return out;
}

std::vector<TreeEntry> contentsTree(const HelpDocument& document, const SiteNames& names, int contentsTopic,
    const std::vector<bool>& popupOnly, const std::vector<ContentsEntry>& given)
{
    const size_t n = document.topics.size();
    std::vector<TreeEntry> tree;
    std::vector<bool> placed(n, false);
    const bool hasContents = contentsTopic >= 0 && static_cast<size_t>(contentsTopic) < n;
    const auto usable = [&](int t) { return t >= 0 && !placed[static_cast<size_t>(t)] && !popupOnly[static_cast<size_t>(t)]; };

    if (!given.empty()) {
        const bool contentsGiven = hasContents
            && std::any_of(given.begin(), given.end(), [&](const ContentsEntry& e) { return names.topic(e.context) == contentsTopic; });
        if (hasContents && !contentsGiven) {
            tree.push_back({contentsTopic, 0});
            placed[static_cast<size_t>(contentsTopic)] = true;
        }
        for (const ContentsEntry& e : given) {
            const int t = names.topic(e.context);
            if (!usable(t))
                continue;
            const int deepest = tree.empty() ? 0 : tree.back().depth + 1;
            tree.push_back({t, std::clamp(e.depth, 0, deepest)});
            placed[static_cast<size_t>(t)] = true;
        }
    } else if (hasContents) {
        // Breadth first, so that a topic sits as near the top as a jump puts it.
        std::vector<std::vector<int>> children(n);
        std::vector<int> depth(n, 0), roots{contentsTopic}, queue;
        placed[static_cast<size_t>(contentsTopic)] = true;
        for (const int t : jumpTargets(document, document.topics[static_cast<size_t>(contentsTopic)], names))
            if (usable(t)) {
                placed[static_cast<size_t>(t)] = true;
                roots.push_back(t);
                queue.push_back(t);
            }
        for (size_t q = 0; q < queue.size(); ++q) {
            const int v = queue[q];
            if (depth[static_cast<size_t>(v)] >= kDeepest)
                continue;
            for (const int t : jumpTargets(document, document.topics[static_cast<size_t>(v)], names))
                if (usable(t)) {
                    placed[static_cast<size_t>(t)] = true;
                    depth[static_cast<size_t>(t)] = depth[static_cast<size_t>(v)] + 1;
                    children[static_cast<size_t>(v)].push_back(t);
                    queue.push_back(t);
                }
        }
        std::vector<int> stack(roots.rbegin(), roots.rend());
        while (!stack.empty()) {
            const int t = stack.back();
            stack.pop_back();
            tree.push_back({t, depth[static_cast<size_t>(t)]});
            const auto& kids = children[static_cast<size_t>(t)];
            stack.insert(stack.end(), kids.rbegin(), kids.rend());
        }
    }
    // Nothing is lost: every other titled topic follows at the top.
    for (size_t t = 0; t < n; ++t)
        if (usable(static_cast<int>(t)) && !document.topics[t].title.isEmpty()) {
            tree.push_back({static_cast<int>(t), 0});
            placed[t] = true;
        }
    return tree;
}

} // namespace hlp::html
