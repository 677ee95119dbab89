#include "winhelp/model/Limits.h"


#include <climits>

namespace hlp {

namespace {

// Bytes an item may add to the record's text: its characters and the commands in front of it
// (a picture's hot spots count too).
qsizetype itemBound(const HelpDocument& doc, const Item& it)
{
    switch (it.kind) {
    case ItemKind::Text: return it.text.size() + 1; // a font change, then the text
    case ItemKind::HotspotBegin: return 2;          // a font change, then the link
    case ItemKind::Picture:
        return 2 + (it.picture >= 0 && size_t(it.picture) < doc.pictures.size()
                    ? qsizetype(doc.pictures[size_t(it.picture)].hotspots.size()) : 0);
    default: return 1;
    }
}

// The paragraph's start and its two closing commands, plus the font of an empty paragraph.
constexpr int FixedBound = 3;
// Room kept under the limit, so a piece never sits right at it.
constexpr int Budget = MaxParagraphBytes - 64;

// Where to cut `text` so that at most `room` bytes stay in front: after the last space there if
// it is not too far back, else right at `room`.
qsizetype cutPoint(const QByteArray& text, qsizetype room)
{
    const qsizetype space = text.lastIndexOf(' ', room - 1);
    return space > room / 2 ? space + 1 : room;
}

std::vector<Paragraph> split(const HelpDocument& doc, const Paragraph& para)
{
    std::vector<Paragraph> pieces;
    Paragraph current;
    qsizetype used = FixedBound;
    const Item* openLink = nullptr; // the hot spot the current piece is inside of
    const auto startPiece = [&] {
        current.format = para.format;
        current.markFormat = para.markFormat;
        current.row = para.row;
        current.cell = para.cell;
        current.items.clear();
        used = FixedBound;
    };
    const auto endPiece = [&] {
        if (openLink) { // the link closes here and opens again in the next piece
            Item end;
            end.kind = ItemKind::HotspotEnd;
            end.format = openLink->format;
            current.items.push_back(end);
        }
        pieces.push_back(std::move(current));
        startPiece();
        if (openLink) {
            current.items.push_back(*openLink);
            used += itemBound(doc, *openLink);
        }
    };
    startPiece();
    for (const Item& source : para.items) {
        Item it = source;
        // One more byte is kept for a hot spot's end that a cut may add.
        while (used + itemBound(doc, it) + 1 > Budget) {
            const qsizetype room = Budget - used - 2;
            if (it.kind == ItemKind::Text && room > 0) {
                const qsizetype at = cutPoint(it.text, room);
                Item head = it;
                head.text = it.text.left(at);
                it.text.remove(0, at);
                current.items.push_back(head);
            } else if (current.items.empty()) {
                break; // an item that fits nowhere better: it goes in alone
            }
            endPiece();
        }
        if (it.kind == ItemKind::HotspotBegin)
            openLink = &source;
        else if (it.kind == ItemKind::HotspotEnd)
            openLink = nullptr;
        used += itemBound(doc, it);
        current.items.push_back(std::move(it));
    }
    pieces.push_back(std::move(current));
    return pieces;
}

} // namespace

int paragraphBytesBound(const HelpDocument& doc, const Paragraph& p)
{
    qsizetype total = FixedBound;
    for (const Item& it : p.items)
        total += itemBound(doc, it);
    return int(qMin<qsizetype>(total, INT_MAX));
}

void fitLimits(HelpDocument& doc, Diagnostics& diag)
{
    for (Topic& topic : doc.topics) {
        if (topic.title.size() > MaxTitleBytes) {
            diag.warning(QStringLiteral("le titre de la rubrique %1 a %2 caractères ; seuls les %3 premiers sont gardés.")
                             .arg(quoted(diag.codePage().decode(topic.title.left(60)) + QStringLiteral("…")))
                             .arg(topic.title.size())
                             .arg(MaxTitleBytes));
            topic.title.truncate(MaxTitleBytes);
        }
        // A table row is one record: too long for it, its cells become plain paragraphs.
        for (size_t i = 0; i < topic.paragraphs.size();) {
            const int row = topic.paragraphs[i].row;
            size_t end = i + 1;
            while (row >= 0 && end < topic.paragraphs.size() && topic.paragraphs[end].row == row)
                ++end;
            qsizetype bytes = 0;
            for (size_t j = i; row >= 0 && j < end; ++j)
                bytes += paragraphBytesBound(doc, topic.paragraphs[j]);
            if (row >= 0 && bytes > Budget) {
                diag.warning(QStringLiteral("une ligne de tableau de la rubrique %1 a environ %2 octets, plus que les %3 qu'elle "
                                            "peut contenir ; ses cellules deviennent des paragraphes.")
                                 .arg(topic.displayName(diag.codePage()))
                                 .arg(bytes)
                                 .arg(MaxParagraphBytes));
                for (size_t j = i; j < end; ++j) {
                    topic.paragraphs[j].row = -1;
                    topic.paragraphs[j].cell = 0;
                }
            }
            i = end;
        }
        for (size_t i = 0; i < topic.paragraphs.size(); ++i) {
            const int bytes = paragraphBytesBound(doc, topic.paragraphs[i]);
            if (bytes <= Budget)
                continue;
            std::vector<Paragraph> pieces = split(doc, topic.paragraphs[i]);
            diag.warning(QStringLiteral("la rubrique %1 a un paragraphe d'environ %2 octets, plus que les %3 qu'un paragraphe "
                                        "peut contenir ; il est coupé en %4 paragraphes.")
                             .arg(topic.displayName(diag.codePage()))
                             .arg(bytes)
                             .arg(MaxParagraphBytes)
                             .arg(pieces.size()));
            const auto at = topic.paragraphs.begin() + qsizetype(i);
            topic.paragraphs.erase(at);
            topic.paragraphs.insert(topic.paragraphs.begin() + qsizetype(i), std::make_move_iterator(pieces.begin()),
                std::make_move_iterator(pieces.end()));
            i += pieces.size() - 1;
        }
    }
}

} // namespace hlp
