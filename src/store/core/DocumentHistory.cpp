#include "store/core/DocumentHistory.h"

#include <cstring>

namespace store {

namespace {

// Lines searched ahead for a place where both lists agree again.
constexpr int MaxSearch = 4000;
// Packed steps larger than this are compressed (a renumbering repeats its tag lines).
constexpr qsizetype CompressFrom = 4096;

// The same line object: an operation leaves the lines it does not touch shared with the lines as
// they were, and makes the ones it writes anew. Matching by text instead would pair a renumbered
// tag with the tag of the next topic and shift every line after it.
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
        if (same(a[i], b[j])) {
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
    known_ = lines;
    state_ = state;
    steps_.clear();
    pos_ = 0;
    savedAt_ = saved ? 0 : -1;
    bytes_ = 0;
}

bool DocumentHistory::record(const QStringList& lines, const StoreState& state, const QString& label, bool derived)
{
    const StoreState before = state_;
    state_ = state;
    if (lines == known_)
        return false;
    const std::vector<LineHunk> hunks = lineHunks(known_, lines);
    if (hunks.empty()) {
        known_ = lines;
        return false;
    }
    Step s;
    s.label = label;
    s.before = before;
    s.after = state;
    s.derived = derived;
    putInt(s.data, qint32(hunks.size()));
    for (const LineHunk& h : hunks) {
        putInt(s.data, h.oldStart);
        putInt(s.data, h.oldCount);
        putInt(s.data, h.newStart);
        putInt(s.data, h.newCount);
    }
    for (const LineHunk& h : hunks) {
        putLines(s.data, known_, h.oldStart, h.oldCount);
        putLines(s.data, lines, h.newStart, h.newCount);
    }
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
    known_ = lines;
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

void DocumentHistory::replay(const Step& step, bool forward, QStringList& lines) const
{
    const QByteArray data = step.compressed ? qUncompress(step.data) : step.data;
    Reader r(data);
    const int count = r.number();
    std::vector<LineHunk> hunks(static_cast<size_t>(count));
    for (LineHunk& h : hunks) {
        h.oldStart = r.number();
        h.oldCount = r.number();
        h.newStart = r.number();
        h.newCount = r.number();
    }
    // One pass that copies the unchanged runs and puts in the other side of each hunk, so a step
    // of many small runs costs no more than the lines themselves.
    QStringList out;
    out.reserve(lines.size());
    int cursor = 0;
    for (const LineHunk& h : hunks) {
        const int start = forward ? h.oldStart : h.newStart;
        const int replaced = forward ? h.oldCount : h.newCount;
        out.append(lines.mid(cursor, start - cursor));
        r.lines(h.oldCount, forward ? nullptr : &out);
        r.lines(h.newCount, forward ? &out : nullptr);
        cursor = start + replaced;
    }
    out.append(lines.mid(cursor));
    lines.swap(out);
}

bool DocumentHistory::undo(QStringList& lines, StoreState& state, QString* label)
{
    const int real = realStepBelow(pos_);
    if (real < 0)
        return false;
    while (pos_ > real)
        replay(steps_[size_t(--pos_)], false, lines);
    const Step& s = steps_[size_t(real)];
    state = s.before;
    if (label)
        *label = s.label;
    known_ = lines;
    state_ = state;
    return true;
}

bool DocumentHistory::redo(QStringList& lines, StoreState& state, QString* label)
{
    if (!canRedo())
        return false;
    if (label)
        *label = steps_[size_t(pos_)].label;
    replay(steps_[size_t(pos_++)], true, lines);
    while (pos_ < int(steps_.size()) && steps_[size_t(pos_)].derived)
        replay(steps_[size_t(pos_++)], true, lines);
    state = steps_[size_t(pos_ - 1)].after;
    known_ = lines;
    state_ = state;
    return true;
}

} // namespace store
