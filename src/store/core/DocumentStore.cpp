#include "store/core/DocumentStore.h"

#include "platform/core/TextFile.h"
#include "store/core/Blocks.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TextRules.h"

#include <QDir>
#include <QFileInfo>
#include <map>

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

int DocumentStore::tagBalance() const
{
    int balance = 0;
    for (const QString& l : DocumentLines) {
        if (isTopicOpenPrefix(l))
            ++balance;
        else if (isTopicClosePrefix(l))
            --balance;
    }
    return balance;
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

Tag classify(const QString& line)
{
    if (line.isEmpty() || (line.front() != u'<' && line.front() != u' '))
        return {};
    const QString f = foldAscii(TrimSpaces(line));
    if (f == u"<HEADER>") return {Kind::HeaderOpen};
    if (f == u"</HEADER>") return {Kind::HeaderClose};
    if (f == u"<HPJ>") return {Kind::HpjOpen};
    if (f == u"</HPJ>") return {Kind::HpjClose};
    if (f != foldAscii(line) || !f.endsWith(u'>'))
        return {};
    const std::pair<Kind, const char16_t*> kinds[] = {{Kind::TopicOpen, u"<BLOC"}, {Kind::TopicClose, u"</BLOC"},
        {Kind::PopupOpen, u"<POPUP"}, {Kind::PopupClose, u"</POPUP"}};
    for (const auto& [kind, prefix] : kinds) {
        const int n = tagNumber(f, prefix, false);
        if (n >= 0)
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

bool isOpen(Kind k)
{
    return k == Kind::TopicOpen || k == Kind::PopupOpen || k == Kind::HeaderOpen || k == Kind::HpjOpen;
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

    // Walk the lines once, cutting them into blocks. A block whose close tag is missing ends
    // before the next tag line; a close tag without its open tag is dropped; the first block of
    // each number wins, as every reader finds the first one.
    Kind openKind = Kind::None;
    int openNumber = -1;
    QStringList current;
    auto finish = [&] {
        if (openKind == Kind::None)
            return;
        current << closeTagText(openKind, openNumber);
        switch (openKind) {
        case Kind::TopicOpen: topics.try_emplace(openNumber, current); break;
        case Kind::PopupOpen: popups.try_emplace(openNumber, current); break;
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
            current << line;
            continue;
        }
        if (isOpen(t.kind)) {
            finish();
            closedState = -1;
            openKind = t.kind;
            openNumber = t.number;
            current << line;
            continue;
        }
        if (t.kind != Kind::None)
            continue; // a close tag that closes nothing
        if (openKind != Kind::None)
            current << line;
    }
    finish();

    ScratchLines.clear();
    if (header.isEmpty())
        header = headerBlock(title, body);
    if (project.isEmpty())
        project = defaultProjectBlock(ProjectFileName);
    ScratchLines << header << project;
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
    if (open >= 0)
        removeBlock(DocumentLines, open, close);
    DocumentLines << written;
    if (block)
        *block = written;
}

void DocumentStore::Renum()
{
    if (PageCount < 2)
        return;
    for (QString& line : DocumentLines) {
        int n = 0;
        if (isTopicOpenPrefix(line)) {
            if (fourDigits(QStringView(line).mid(5, 4), n) && n > CurrentPage)
                line = topicOpenTag(n - 1);
        } else if (isTopicClosePrefix(line)) {
            if (fourDigits(QStringView(line).mid(6, 4), n) && n > CurrentPage)
                line = topicCloseTag(n - 1);
        }
    }
    --PageCount;
}

bool DocumentStore::save(const QString& path, QString* error, bool* lossy)
{
    // A new name: the project block that still names the old one (or none) follows it.
    followProjectName(DocumentLines, path, ProjectFileName);
    CreMap(DocumentLines, PageCount);
    if (!textfile::writeLines(path, DocumentLines, error, lossy))
        return false;
    DocumentModified = false;
    PageModified = false;
    ProjectFileName = path;
    return true;
}

} // namespace store
