#include "store/core/DocumentStore.h"

#include "platform/core/TextFile.h"
#include "store/core/Blocks.h"
#include "store/core/PopupBlocks.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TextRules.h"

#include <QDir>
#include <QFileInfo>
#include <deque>
#include <map>
#include <vector>

namespace store {

QString projectFilePath(const QString& chosen)
{
    const QString forced = forceExtension(chosen, QStringLiteral(".hpa"));
    if (QFileInfo::exists(forced))
        return forced;
    const QFileInfo info(forced);
    const QString wanted = info.fileName();
    const QStringList entries = info.dir().entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : entries) {
        // Only the extension may differ in case: the base name is the author's.
        if (name.size() == wanted.size() && name.startsWith(info.completeBaseName() + u'.')
            && name.endsWith(u".hpa", Qt::CaseInsensitive))
            return folderPart(forced) + name;
    }
    return forced;
}

void DocumentStore::createEmpty(const FieldLook& title, const FieldLook& body)
{
    DocumentLines.clear();
    ScratchLines.clear();
    EcritHpj(DocumentLines, ProjectFileName);
    EcritHeader(DocumentLines, title, body);
    PageCount = 1;
    PageLevel = 1;
    CurrentPage = 0;
}

bool DocumentStore::load(const QString& path, bool* missing, QString* error)
{
    const QFileInfo info(path);
    *missing = !info.exists();
    if (*missing)
        return true;
    if (info.isDir()) { // the system's own words for this one are not French
        if (error)
            *error = QStringLiteral("c'est un dossier, pas un fichier de projet.");
        return false;
    }
    QStringList lines;
    if (!textfile::readLines(path, lines, error))
        return false;
    DocumentLines.swap(lines);
    ProjectFileName = path;
    DocumentModified = false;
    return true;
}

void DocumentStore::countBlocks()
{
    PageCount = 0;
    PopupCount = 0;
    for (const QString& l : std::as_const(DocumentLines)) {
        if (isTopicOpenPrefix(l))
            ++PageCount;
        if (isPopupOpenPrefix(l))
            ++PopupCount;
    }
}

namespace {

int balanceOf(const QStringList& lines)
{
    int balance = 0;
    for (const QString& l : lines) {
        if (isTopicOpenPrefix(l))
            ++balance;
        else if (isTopicClosePrefix(l))
            --balance;
    }
    return balance;
}

} // namespace

int DocumentStore::tagBalance() const
{
    return balanceOf(DocumentLines);
}

bool isAltered(const QStringList& lines, int pageCount, int popupCount)
{
    if (balanceOf(lines) != 0)
        return true;
    // One pass: the first block of each number, and whether a number opens a second block.
    std::vector<int> topics(MaxBlocks, -1), popups(MaxBlocks, -1);
    for (int i = 0; i < int(lines.size()); ++i) {
        const QString& l = lines[i];
        if (l.size() < 10 || l.front() != u'<')
            continue;
        int n = tagNumber(l, u"<BLOC", true);
        std::vector<int>* first = &topics;
        if (n < 0) {
            n = tagNumber(l, u"<POPUP", true);
            first = &popups;
        }
        if (n < 0) {
            // A number that four digits cannot hold: no reader finds that block.
            if (wideTagNumber(l, u"<BLOC") >= 0 || wideTagNumber(l, u"<POPUP") >= 0)
                return true;
            continue;
        }
        if ((*first)[size_t(n)] >= 0)
            return true; // every reader sees the first block only
        // An open tag in other letter case is found by the readers but not by the count; an
        // edit writes it back in capitals and the count would change.
        if (first == &topics ? !isTopicOpenPrefix(l) : !isPopupOpenPrefix(l))
            return true;
        (*first)[size_t(n)] = i;
    }
    // The page keys, the index and the help reach topics by number from 0 up to the count: a block
    // past a missing number, or a number the count has no block for, hides pages.
    // So do new popups: a number past a gap would be given again and replace that popup's text.
    for (int k = 0; k < MaxBlocks; ++k) {
        if ((topics[size_t(k)] >= 0) != (k < pageCount) || (popups[size_t(k)] >= 0) != (k < popupCount))
            return true;
    }
    // Every block as the readers see it has its close tag (it cannot hold another: blockExtent
    // ends it before the next block's open tag), and holds no line that the count takes for a
    // tag: an edit would write that line back as text and the count would change.
    const auto sound = [&lines](int open, QStringView close) {
        const Extent e = blockExtent(lines, open, close);
        if (!e.closed)
            return false;
        for (int i = open + 1; i < e.contentEnd; ++i) {
            const QString& l = lines[i];
            if (isTopicOpenPrefix(l) || isTopicClosePrefix(l) || isPopupOpenPrefix(l))
                return false;
        }
        return true;
    };
    for (const auto& [open, close] : {std::pair<const char16_t*, const char16_t*>{u"<HEADER>", u"</HEADER>"}, {u"<HPJ>", u"</HPJ>"}}) {
        const int at = findTag(lines, open);
        if (at >= 0 && !sound(at, close))
            return true;
    }
    for (int k = 0; k < MaxBlocks; ++k) {
        if (topics[size_t(k)] >= 0 && !sound(topics[size_t(k)], topicCloseTag(k)))
            return true;
        if (popups[size_t(k)] >= 0 && !sound(popups[size_t(k)], popupCloseTag(k)))
            return true;
    }
    return false;
}

namespace {

enum class Kind { None, TopicOpen, TopicClose, PopupOpen, PopupClose, HeaderOpen, HeaderClose, HpjOpen, HpjClose };

struct Tag {
    Kind kind = Kind::None;
    int number = -1;
};

bool fourDigits(QStringView s, int& n)
{
    if (s.size() != 4)
        return false;
    n = 0;
    for (QChar c : s) {
        if (c < u'0' || c > u'9')
            return false;
        n = n * 10 + c.digitValue();
    }
    return true;
}

bool isOpen(Kind k)
{
    return k == Kind::TopicOpen || k == Kind::PopupOpen || k == Kind::HeaderOpen || k == Kind::HpjOpen;
}

Tag classify(const QString& line)
{
    if (line.isEmpty() || (line.front() != u'<' && line.front() != u' '))
        return {};
    const QString f = foldAscii(tagText(line));
    if (f == u"<HEADER>") return {Kind::HeaderOpen};
    if (f == u"</HEADER>") return {Kind::HeaderClose};
    if (f == u"<HPJ>") return {Kind::HpjOpen};
    if (f == u"</HPJ>") return {Kind::HpjClose};
    if (!f.endsWith(u'>'))
        return {};
    // A close tag may have spaces around it, as blockExtent reads it; an open tag with spaces is
    // found by no lookup, so it is text.
    const bool spaced = f.size() != line.size();
    const std::pair<Kind, const char16_t*> kinds[] = {{Kind::TopicOpen, u"<BLOC"}, {Kind::TopicClose, u"</BLOC"},
        {Kind::PopupOpen, u"<POPUP"}, {Kind::PopupClose, u"</POPUP"}};
    for (const auto& [kind, prefix] : kinds) {
        // Any width: a block numbered past 9999 is a block, given a number of its own.
        const int n = wideTagNumber(f, prefix);
        if (n >= 0 && !(spaced && isOpen(kind)))
            return {kind, n};
    }
    return {};
}

Kind closeOf(Kind open)
{
    switch (open) {
    case Kind::TopicOpen: return Kind::TopicClose;
    case Kind::PopupOpen: return Kind::PopupClose;
    case Kind::HeaderOpen: return Kind::HeaderClose;
    case Kind::HpjOpen: return Kind::HpjClose;
    default: return Kind::None;
    }
}

QString openTagText(Kind open, int n)
{
    switch (open) {
    case Kind::TopicOpen: return topicOpenTag(n);
    case Kind::PopupOpen: return popupOpenTag(n);
    case Kind::HeaderOpen: return QStringLiteral("<HEADER>");
    default: return QStringLiteral("<HPJ>");
    }
}

// A kept line that the count of tags or a lookup would take for a tag is made text, so the
// repaired document passes the check at the next opening.
QString keptLine(const QString& line)
{
    return protectBodyLine(line);
}

QString closeTagText(Kind open, int n)
{
    switch (open) {
    case Kind::TopicOpen: return topicCloseTag(n);
    case Kind::PopupOpen: return popupCloseTag(n);
    case Kind::HeaderOpen: return QStringLiteral("</HEADER>");
    default: return QStringLiteral("</HPJ>");
    }
}

} // namespace

void DocumentStore::repair(const FieldLook& title, const FieldLook& body)
{
    QStringList header, project;
    std::map<int, QStringList> topics, popups;
    std::deque<QStringList> moreTopics, morePopups; // a second block of the same number
    QStringList loose; // text outside every block before the first topic or popup block

    // Walk the lines once, cutting them into blocks. A block whose close tag is missing ends
    // before the next tag line; a close tag without its open tag is dropped. The first block of
    // each number keeps its place, as every reader finds the first one; a later one gets a number of
    // its own after the others, and text between blocks joins the block before it (or stays outside
    // the blocks, after the project block, when no topic or popup block came before): nothing is
    // lost.
    Kind openKind = Kind::None;
    int openNumber = -1;
    QStringList current;
    QStringList* last = nullptr; // the topic or popup block just closed
    auto finish = [&] {
        if (openKind == Kind::None)
            return;
        current << closeTagText(openKind, openNumber);
        last = nullptr;
        switch (openKind) {
        case Kind::TopicOpen:
        case Kind::PopupOpen: {
            auto& blocks = openKind == Kind::TopicOpen ? topics : popups;
            const auto [it, fresh] = blocks.try_emplace(openNumber, current);
            auto& more = openKind == Kind::TopicOpen ? moreTopics : morePopups;
            if (!fresh)
                more.push_back(current);
            last = fresh ? &it->second : &more.back();
            break;
        }
        case Kind::HeaderOpen: if (header.isEmpty()) header = current; break;
        default: if (project.isEmpty()) project = current; break;
        }
        current.clear();
        openKind = Kind::None;
    };
    // Inside a topic or popup that is closed further down, a line reading as a header or project
    // tag is a line of its text (a file from elsewhere): the block keeps it, and every line after it.
    // Looked up once per block, so a file full of such lines is still read in one pass.
    int closedState = -1; // unknown, 0 not closed, 1 closed
    auto closedFurtherDown = [&](qsizetype from) {
        if (closedState < 0) {
            closedState = 0;
            for (qsizetype j = from; j < DocumentLines.size(); ++j) {
                const Tag ahead = classify(DocumentLines[j]);
                if (ahead.kind == closeOf(openKind) && ahead.number == openNumber) {
                    closedState = 1;
                    break;
                }
                if (ahead.kind == Kind::TopicOpen || ahead.kind == Kind::PopupOpen)
                    break;
            }
        }
        return closedState == 1;
    };
    for (qsizetype i = 0; i < DocumentLines.size(); ++i) {
        const QString& line = DocumentLines[i];
        const Tag t = classify(line);
        if (openKind != Kind::None && t.kind == closeOf(openKind)
            && (t.number == openNumber || t.number < 0)) {
            finish();
            continue;
        }
        if ((openKind == Kind::TopicOpen || openKind == Kind::PopupOpen) && t.kind != Kind::None
            && t.number < 0 && closedFurtherDown(i + 1)) {
            current << keptLine(line); // text, so the next opening does not take it for a tag
            continue;
        }
        if (isOpen(t.kind)) {
            finish();
            closedState = -1;
            openKind = t.kind;
            openNumber = t.number;
            current << openTagText(t.kind, t.number);
            continue;
        }
        if (t.kind != Kind::None)
            continue; // a close tag that closes nothing
        if (openKind != Kind::None)
            current << keptLine(line);
        else if (!TrimSpaces(line).isEmpty() && last)
            last->insert(last->size() - 1, keptLine(line));
        else if (!TrimSpaces(line).isEmpty())
            loose.append(keptLine(line));
    }
    finish();
    const auto retag = [](QStringList& block, bool topic, int n) {
        if (!topic) {
            retagPopup(block, n);
            return;
        }
        block.first() = topicOpenTag(n);
        block.last() = topicCloseTag(n);
    };
    const auto renumber = [&retag](std::map<int, QStringList>& blocks, std::deque<QStringList>& more, bool topic) {
        for (QStringList& block : more) {
            const int n = blocks.empty() ? 0 : blocks.rbegin()->first + 1;
            if (n >= MaxBlocks) {
                // No number is left: its lines (tags made text) end the last block, so nothing is lost.
                QStringList& lastBlock = blocks.rbegin()->second;
                const QString close = lastBlock.takeLast();
                block.removeLast();
                block.front() = protectBodyLine(block.front());
                lastBlock << block << close;
                continue;
            }
            retag(block, topic, n);
            blocks.emplace(n, block);
        }
    };
    // Topics and popups take the numbers from 0 without a gap, in their order (nothing refers to a
    // topic by its number), and every link follows its popup.
    std::map<int, int> popupNumber; // old number -> new
    const auto fromZero = [&retag](std::map<int, QStringList>& blocks, std::deque<QStringList>& more, bool topic,
                              std::map<int, int>* numberOf) {
        std::map<int, QStringList> numbered;
        for (auto& [n, block] : blocks) {
            const int k = int(numbered.size());
            if (k >= MaxBlocks) { // no number left: it ends the last block as text (renumber)
                more.push_back(std::move(block));
                continue;
            }
            if (numberOf)
                numberOf->emplace(n, k);
            retag(block, topic, k);
            numbered.emplace(k, std::move(block));
        }
        blocks.swap(numbered);
    };
    fromZero(topics, moreTopics, true, nullptr);
    fromZero(popups, morePopups, false, &popupNumber);
    renumber(topics, moreTopics, true);
    renumber(popups, morePopups, false);
    // A link to no popup becomes its plain word: the next new popup would take that number.
    const auto numberOf = [&popupNumber](int m) {
        const auto it = popupNumber.find(m);
        return it == popupNumber.end() ? -1 : it->second;
    };
    const auto relink = [&numberOf](QStringList& lines, qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i)
            renumberPopupLinks(lines[i], numberOf);
    };
    for (auto* blocks : {&topics, &popups})
        for (auto& [n, block] : *blocks)
            relink(block, 1, block.size() - 1);
    relink(loose, 0, loose.size());

    ScratchLines.clear();
    if (header.isEmpty())
        header = headerBlock(title, body);
    if (project.isEmpty())
        project = defaultProjectBlock(ProjectFileName);
    ScratchLines << header << project << loose;
    for (const auto& [n, block] : topics)
        ScratchLines << block;
    for (const auto& [n, block] : popups)
        ScratchLines << block;
    DocumentLines.swap(ScratchLines);
    ScratchLines.clear();
    countBlocks();
    DocumentModified = true;
}

bool DocumentStore::readPage(TopicFields& f, QStringList* block)
{
    SeeAlsoTarget.clear();
    f = TopicFields{};
    f.level = PageLevel;
    if (block)
        block->clear();
    const int open = findTag(DocumentLines, topicOpenTag(CurrentPage));
    if (open < 0)
        return false;
    const QString close = topicCloseTag(CurrentPage);
    f = readTopic(DocumentLines, open, close);
    if (block)
        *block = DocumentLines.mid(open, blockEnd(DocumentLines, open, close) - open + 1);
    PageLevel = f.level;
    SeeAlsoTarget = f.seeAlso;
    PageModified = false;
    return true;
}

QStringList DocumentStore::pageBlock(const TopicFields& f) const
{
    if (TrimSpaces(f.title).isEmpty())
        return {};
    TopicFields stored = f;
    stored.level = PageLevel;
    stored.seeAlso = SeeAlsoTarget;
    return topicBlock(CurrentPage, stored);
}

namespace {

// Whether the block opened at `open` (or no block, -1) reads other than `written`.
bool blockDiffers(const QStringList& lines, int open, const QString& closeTag, const QStringList& written)
{
    if (open < 0)
        return !written.isEmpty();
    const int end = blockEnd(lines, open, closeTag);
    if (end - open + 1 != written.size())
        return true;
    for (int i = open; i <= end; ++i)
        if (lines[i] != written[i - open])
            return true;
    return false;
}

} // namespace

bool DocumentStore::pageBlockDiffers(const QStringList& block) const
{
    return blockDiffers(DocumentLines, findTag(DocumentLines, topicOpenTag(CurrentPage)), topicCloseTag(CurrentPage),
        block);
}

bool DocumentStore::pageDiffers(const TopicFields& f) const
{
    return pageBlockDiffers(pageBlock(f));
}

void DocumentStore::writePage(const TopicFields& f, bool bodyModified, QStringList* block)
{
    if (bodyModified) {
        DocumentModified = true;
        PageModified = true;
    }
    if (!PageModified)
        return;
    const QString close = topicCloseTag(CurrentPage);
    const int open = findTag(DocumentLines, topicOpenTag(CurrentPage));
    const QStringList written = pageBlock(f);
    // Any field that reads otherwise is a change to save, not only the body.
    if (blockDiffers(DocumentLines, open, close, written))
        DocumentModified = true;
    // Through the history: the page turn notes its two edits instead of comparing the document.
    if (open >= 0)
        History.replace(DocumentLines, open, blockEnd(DocumentLines, open, close) - open + 1, {});
    const int at = int(DocumentLines.size());
    History.replace(DocumentLines, at, 0, written);
    if (block)
        *block = written;
    if (!written.isEmpty())
        unshadow(at, qMax(0, open));
}

void DocumentStore::unshadow(int at, int from)
{
    // Another line with the page's open tag (inside a popup, say) now comes first and would be
    // taken for the page. Its tag lines become text of whatever holds them, so nothing is lost and
    // the page stays the one just written. None stands before `from`.
    const QString open = topicOpenTag(CurrentPage);
    const QString close = topicCloseTag(CurrentPage);
    for (int other = findTag(DocumentLines, open, from); other >= 0 && other < at; other = findTag(DocumentLines, open, other)) {
        const Extent e = blockExtent(DocumentLines, other, close);
        if (e.closed && e.contentEnd < at)
            History.set(DocumentLines, e.contentEnd, protectBodyLine(DocumentLines[e.contentEnd]));
        History.set(DocumentLines, other, protectBodyLine(DocumentLines[other]));
    }
}

void DocumentStore::Renum()
{
    if (PageCount < 2)
        return;
    for (int i = 0; i < int(DocumentLines.size()); ++i) {
        const QString& line = DocumentLines[i];
        int n = 0;
        if (isTopicOpenPrefix(line)) {
            if (fourDigits(QStringView(line).mid(5, 4), n) && n > CurrentPage)
                History.set(DocumentLines, i, topicOpenTag(n - 1));
        } else if (isTopicClosePrefix(line)) {
            if (fourDigits(QStringView(line).mid(6, 4), n) && n > CurrentPage)
                History.set(DocumentLines, i, topicCloseTag(n - 1));
        }
    }
    --PageCount;
}

QByteArray DocumentStore::saveBytes(bool* lossy)
{
    CreMap(DocumentLines, PageCount);
    return textfile::joinLines(DocumentLines, lossy);
}

bool DocumentStore::save(const QString& path, QString* error, bool* lossy)
{
    // What the save itself changes ([MAP], the project's name) goes with the step before it.
    History.begin(DocumentLines);
    // A new name: the project block that still names the old one (or none) follows it.
    followProjectName(DocumentLines, path, ProjectFileName);
    const QByteArray bytes = saveBytes(lossy);
    History.record(DocumentLines, state(), QString(), true);
    History.end();
    if (!textfile::writeBytes(path, bytes, error))
        return false;
    History.markSaved();
    DocumentModified = false;
    PageModified = false;
    ProjectFileName = path;
    return true;
}

void DocumentStore::startHistory()
{
    History.reset(DocumentLines, state(), !DocumentModified);
}

bool DocumentStore::record(const QString& label)
{
    return History.record(DocumentLines, state(), label);
}

namespace {

// Whatever was not recorded yet becomes a step of its own before a replay.
const char* const UnnamedChange = "modification du document";

} // namespace

DocumentHistory::Replay DocumentStore::undo(QString* label)
{
    return replay(false, label);
}

DocumentHistory::Replay DocumentStore::redo(QString* label)
{
    return replay(true, label);
}

DocumentHistory::Replay DocumentStore::replay(bool forward, QString* label)
{
    record(QString::fromUtf8(UnnamedChange));
    StoreState s;
    const DocumentHistory::Replay r = forward ? History.redo(DocumentLines, s, label) : History.undo(DocumentLines, s, label);
    if (r != DocumentHistory::Replay::Done)
        return r;
    PageCount = s.pageCount;
    PopupCount = s.popupCount;
    CurrentPage = s.currentPage;
    DocumentModified = !History.atSaved();
    return r;
}

} // namespace store
