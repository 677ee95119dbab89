#include "store/core/DocumentHistory.h"

#include <cstring>

namespace store {

namespace {

// Lines searched ahead for a place where both lists agree again.
constexpr int MaxSearch = 4000;
// Packed steps larger than this are compressed (a renumbering repeats its tag lines).
constexpr qsizetype CompressFrom = 4096;

// The same line object: an operation leaves the lines it does not touch shared with the lines as
// they were, and makes the ones it writes anew. Finding where the lists agree again by text
// instead would pair a renumbered tag with the tag of the next topic and shift every line after it.
bool same(const QString& x, const QString& y)
{
    return x.size() == y.size() && (x.isEmpty() || x.constData() == y.constData());
}

void putInt(QByteArray& out, qint32 v)
{
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

void putLines(QByteArray& out, const QStringList& lines, int start, int count)
{
    for (int k = start; k < start + count; ++k) {
        const QString& l = lines[k];
        putInt(out, qint32(l.size()));
        out.append(reinterpret_cast<const char*>(l.constData()), l.size() * qsizetype(sizeof(QChar)));
    }
}

class Reader {
public:
    explicit Reader(const QByteArray& data)
        : p_(data.constData())
    {
    }
    qint32 number()
    {
        qint32 v;
        std::memcpy(&v, p_, sizeof v);
        p_ += sizeof v;
        return v;
    }
    // The next `count` lines, appended to `out` (skipped when it is null).
    void lines(int count, QStringList* out)
    {
        for (int k = 0; k < count; ++k) {
            const qint32 n = number();
            if (out) {
                QString s(n, Qt::Uninitialized);
                std::memcpy(s.data(), p_, size_t(n) * sizeof(QChar));
                out->append(std::move(s));
            }
            p_ += qsizetype(n) * qsizetype(sizeof(QChar));
        }
    }

private:
    const char* p_;
};

} // namespace

std::vector<LineHunk> lineHunks(const QStringList& a, const QStringList& b)
{
    std::vector<LineHunk> hunks;
    int i = 0;
    int j = 0;
    int endA = int(a.size());
    int endB = int(b.size());
    while (endA > i && endB > j && same(a[endA - 1], b[endB - 1])) {
        --endA;
        --endB;
    }
    const auto agree = [&](int ii, int jj) {
        if (ii == endA || jj == endB)
            return ii == endA && jj == endB;
        return same(a[ii], b[jj]) && (ii + 1 == endA || jj + 1 == endB || same(a[ii + 1], b[jj + 1]));
    };
    while (i < endA && j < endB) {
        // In step, a line written anew with the same text (a rebuilt [MAP]) is no difference.
        if (same(a[i], b[j]) || a[i] == b[j]) {
            ++i;
            ++j;
            continue;
        }
        int ii = endA;
        int jj = endB;
        bool found = false;
        for (int d = 1; d <= MaxSearch && !found; ++d) {
            for (int di = 0; di <= d; ++di) {
                const int x = i + di;
                const int y = j + d - di;
                if (x > endA || y > endB)
                    continue;
                if (agree(x, y)) {
                    ii = x;
                    jj = y;
                    found = true;
                    break;
                }
            }
        }
        hunks.push_back({i, ii - i, j, jj - j});
        i = ii;
        j = jj;
    }
    if (i < endA || j < endB)
        hunks.push_back({i, endA - i, j, endB - j});
    // A line written again with the same text is no change.
    std::vector<LineHunk> out;
    out.reserve(hunks.size());
    for (LineHunk h : hunks) {
        while (h.oldCount > 0 && h.newCount > 0 && a[h.oldStart] == b[h.newStart]) {
            ++h.oldStart, ++h.newStart;
            --h.oldCount, --h.newCount;
        }
        while (h.oldCount > 0 && h.newCount > 0 && a[h.oldStart + h.oldCount - 1] == b[h.newStart + h.newCount - 1]) {
            --h.oldCount;
            --h.newCount;
        }
        if (h.oldCount > 0 || h.newCount > 0)
            out.push_back(h);
    }
    return out;
}

void DocumentHistory::reset(const QStringList& lines, const StoreState& state, bool saved)
{
    pending_.clear();
    if (depth_ > 0)
        snapshot_ = lines;
    state_ = state;
    steps_.clear();
    pos_ = 0;
    savedAt_ = saved ? 0 : -1;
    bytes_ = 0;
}

void DocumentHistory::replace(QStringList& lines, int at, int count, const QStringList& with)
{
    at = qBound(0, at, int(lines.size()));
    count = qBound(0, count, int(lines.size()) - at);
    if (depth_ == 0)
        pending_.push_back({at, lines.mid(at, count), with});
    if (count == with.size()) {
        for (int k = 0; k < count; ++k)
            lines[at + k] = with[k];
        return;
    }
    lines.remove(at, count);
    lines.insert(at, with.size(), QString());
    for (int k = 0; k < with.size(); ++k)
        lines[at + k] = with[k];
}

void DocumentHistory::set(QStringList& lines, int at, const QString& with)
{
    if (at < 0 || at >= lines.size())
        return;
    if (depth_ == 0)
        pending_.push_back({at, {lines[at]}, {with}});
    lines[at] = with;
}

void DocumentHistory::begin(const QStringList& lines)
{
    if (depth_++ == 0)
        snapshot_ = lines;
}

void DocumentHistory::end()
{
    if (depth_ > 0 && --depth_ == 0)
        snapshot_ = QStringList();
}

bool DocumentHistory::record(const QStringList& lines, const StoreState& state, const QString& label, bool derived)
{
    const StoreState before = state_;
    state_ = state;
    if (depth_ > 0) {
        // The hunks from the last, so that applying them in order keeps each one's place.
        const std::vector<LineHunk> hunks = lineHunks(snapshot_, lines);
        for (auto h = hunks.rbegin(); h != hunks.rend(); ++h)
            pending_.push_back({h->oldStart, snapshot_.mid(h->oldStart, h->oldCount), lines.mid(h->newStart, h->newCount)});
        snapshot_ = lines;
    }
    if (pending_.empty())
        return false;
    Step s;
    s.label = label;
    s.before = before;
    s.after = state;
    s.derived = derived;
    putInt(s.data, qint32(pending_.size()));
    for (const Edit& e : pending_) {
        putInt(s.data, e.at);
        putInt(s.data, qint32(e.removed.size()));
        putInt(s.data, qint32(e.inserted.size()));
        putLines(s.data, e.removed, 0, int(e.removed.size()));
        putLines(s.data, e.inserted, 0, int(e.inserted.size()));
    }
    pending_.clear();
    if (s.data.size() >= CompressFrom) {
        s.data = qCompress(s.data, 1);
        s.compressed = true;
    }
    s.data.squeeze();

    // A new step after undoing: the undone steps cannot come back.
    while (int(steps_.size()) > pos_) {
        bytes_ -= steps_.back().bytes();
        steps_.pop_back();
    }
    if (savedAt_ > pos_)
        savedAt_ = -1;
    bytes_ += s.bytes();
    steps_.push_back(std::move(s));
    ++pos_;
    trim();
    return true;
}

void DocumentHistory::trim()
{
    const auto over = [this] {
        const int n = int(steps_.size());
        return n > KeptSteps || (n > 1 && bytes_ > MemoryBudget);
    };
    while (pos_ > 0 && over()) {
        bytes_ -= steps_.front().bytes();
        steps_.erase(steps_.begin());
        --pos_;
        savedAt_ = savedAt_ > 0 ? savedAt_ - 1 : -1;
    }
}

void DocumentHistory::forget()
{
    steps_.clear();
    pending_.clear();
    pos_ = 0;
    savedAt_ = -1;
    bytes_ = 0;
}

int DocumentHistory::realStepBelow(int pos) const
{
    for (int k = pos - 1; k >= 0; --k)
        if (!steps_[size_t(k)].derived)
            return k;
    return -1;
}

bool DocumentHistory::canUndo() const
{
    return realStepBelow(pos_) >= 0;
}

bool DocumentHistory::canRedo() const
{
    return pos_ < int(steps_.size());
}

QString DocumentHistory::undoLabel() const
{
    const int k = realStepBelow(pos_);
    return k < 0 ? QString() : steps_[size_t(k)].label;
}

QString DocumentHistory::redoLabel() const
{
    return canRedo() ? steps_[size_t(pos_)].label : QString();
}

std::vector<DocumentHistory::Edit> DocumentHistory::unpack(const Step& step)
{
    const QByteArray data = step.compressed ? qUncompress(step.data) : step.data;
    Reader r(data);
    std::vector<Edit> edits(static_cast<size_t>(r.number()));
    for (Edit& e : edits) {
        e.at = r.number();
        const int removed = r.number();
        const int inserted = r.number();
        r.lines(removed, &e.removed);
        r.lines(inserted, &e.inserted);
    }
    return edits;
}

bool DocumentHistory::replay(const Step& step, bool forward, QStringList& lines) const
{
    const std::vector<Edit> edits = unpack(step);
    // Every edit finds the lines it left (or found) where it left them, or nothing is replayed.
    QStringList check = lines;
    const auto apply = [&check](const Edit& e, const QStringList& from, const QStringList& to) {
        if (e.at < 0 || e.at + from.size() > check.size())
            return false;
        for (qsizetype k = 0; k < from.size(); ++k)
            if (check[e.at + k] != from[k])
                return false;
        if (from.size() == to.size()) {
            for (qsizetype k = 0; k < to.size(); ++k)
                check[e.at + k] = to[k];
            return true;
        }
        check.remove(e.at, from.size());
        check.insert(e.at, to.size(), QString());
        for (qsizetype k = 0; k < to.size(); ++k)
            check[e.at + k] = to[k];
        return true;
    };
    if (forward) {
        for (const Edit& e : edits)
            if (!apply(e, e.removed, e.inserted))
                return false;
    } else {
        for (auto e = edits.rbegin(); e != edits.rend(); ++e)
            if (!apply(*e, e->inserted, e->removed))
                return false;
    }
    lines.swap(check);
    return true;
}

DocumentHistory::Replay DocumentHistory::undo(QStringList& lines, StoreState& state, QString* label)
{
    const int real = realStepBelow(pos_);
    if (real < 0)
        return Replay::Nothing;
    QStringList work = lines;
    for (int k = pos_ - 1; k >= real; --k) {
        if (!replay(steps_[size_t(k)], false, work)) {
            forget();
            return Replay::OutOfStep;
        }
    }
    pos_ = real;
    lines.swap(work);
    const Step& s = steps_[size_t(real)];
    state = s.before;
    if (label)
        *label = s.label;
    state_ = state;
    if (depth_ > 0)
        snapshot_ = lines;
    return Replay::Done;
}

DocumentHistory::Replay DocumentHistory::redo(QStringList& lines, StoreState& state, QString* label)
{
    if (!canRedo())
        return Replay::Nothing;
    int end = pos_ + 1;
    while (end < int(steps_.size()) && steps_[size_t(end)].derived)
        ++end;
    QStringList work = lines;
    for (int k = pos_; k < end; ++k) {
        if (!replay(steps_[size_t(k)], true, work)) {
            forget();
            return Replay::OutOfStep;
        }
    }
    if (label)
        *label = steps_[size_t(pos_)].label;
    pos_ = end;
    lines.swap(work);
    state = steps_[size_t(pos_ - 1)].after;
    state_ = state;
    if (depth_ > 0)
        snapshot_ = lines;
    return Replay::Done;
}

} // namespace store
