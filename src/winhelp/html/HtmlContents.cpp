#include "winhelp/html/HtmlContents.h"

#include "winhelp/model/TopicLinks.h"

#include <algorithm>

namespace hlp::html {

namespace {

constexpr int kDeepest = 3; // derived trees stop at four levels

// The topics a topic jumps to, in text order, each once.
std::vector<int> jumpTargets(const HelpDocument& document, const Topic& topic, const SiteNames& names)
{
    std::vector<int> out;
    forEachTopicLink(document, topic, [&names](QByteArrayView c) { return names.topic(c); }, [&out](LinkKind kind, int t) {
        if (kind == LinkKind::Jump && std::find(out.begin(), out.end(), t) == out.end())
            out.push_back(t);
    });
    return out;
}

// A book stands over at least one line; one left empty (its topics unknown, or of another help
// file) is dropped. From the end, so that a book holding only empty books goes too.
void dropEmptyBooks(std::vector<TreeEntry>& tree)
{
    std::vector<TreeEntry> kept;
    kept.reserve(tree.size());
    for (auto it = tree.rbegin(); it != tree.rend(); ++it) {
        if (it->topic < 0 && (kept.empty() || kept.back().depth <= it->depth))
            continue;
        kept.push_back(std::move(*it));
    }
    tree.assign(std::make_move_iterator(kept.rbegin()), std::make_move_iterator(kept.rend()));
}

} // namespace

std::vector<ContentsEntry> contentsEntries(const ContentsFile& contents)
{
    std::vector<ContentsEntry> out;
    out.reserve(contents.lines.size());
    for (const ContentsLine& line : contents.lines) {
        if (!line.book() && !line.file.isEmpty())
            continue; // a topic of another help file: the site cannot open it
        out.push_back({line.context, std::max(0, line.level - 1), line.text});
    }
    return out;
}

std::vector<bool> popupOnlyTopics(const HelpDocument& document, const SiteNames& names, int contentsTopic)
{
    return hlp::popupOnlyTopics(document, contentsTopic, [&names](QByteArrayView c) { return names.topic(c); });
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
            tree.push_back({contentsTopic, 0, {}});
            placed[static_cast<size_t>(contentsTopic)] = true;
        }
        for (const ContentsEntry& e : given) {
            const bool book = e.context.isEmpty();
            const int t = book ? -1 : names.topic(e.context);
            if (book ? e.label.isEmpty() : !usable(t))
                continue;
            const int deepest = tree.empty() ? 0 : tree.back().depth + 1;
            tree.push_back({t, std::clamp(e.depth, 0, deepest), e.label});
            if (t >= 0)
                placed[static_cast<size_t>(t)] = true;
        }
        dropEmptyBooks(tree);
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
            tree.push_back({t, depth[static_cast<size_t>(t)], {}});
            const auto& kids = children[static_cast<size_t>(t)];
            stack.insert(stack.end(), kids.rbegin(), kids.rend());
        }
    }
    // Nothing is lost: every other titled topic follows at the top.
    for (size_t t = 0; t < n; ++t)
        if (usable(static_cast<int>(t)) && !document.topics[t].title.isEmpty()) {
            tree.push_back({static_cast<int>(t), 0, {}});
            placed[t] = true;
        }
    return tree;
}

} // namespace hlp::html
