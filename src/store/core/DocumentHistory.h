#pragma once
// The document's one history for Undo and Redo. A step keeps only the runs of lines an operation
// replaced (what stood there before and what stands there after), never a copy of the document:
// whatever changed the lines since the last record is found by comparing them with the lines as
// they stood then, so no command has to say what it touched, and a change nobody recorded still
// becomes a step instead of leaving the history out of step with the lines.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace store {

// What a step changes besides the lines: the counts and the page on screen.
struct StoreState {
    int pageCount = 1;
    int popupCount = 0;
    int currentPage = 0;
    bool operator==(const StoreState&) const = default;
};

// Lines [oldStart, oldStart + oldCount) of the old list became [newStart, newStart + newCount) of
// the new one; the lines between two hunks are the same on both sides.
struct LineHunk {
    int oldStart = 0;
    int oldCount = 0;
    int newStart = 0;
    int newCount = 0;
    bool operator==(const LineHunk&) const = default;
};

// The runs that turn `before` into `after`, in order. Lines are matched as the same line objects in
// one forward walk: at a difference the nearest place where both lists agree again (two lines in a
// row, or both ends) is taken, so a block moved to the end, a block removed and tag lines
// renumbered in place each give small runs; lines written again with the same text drop out. When no agreement is found within a few thousand lines the rest is one run.
std::vector<LineHunk> lineHunks(const QStringList& before, const QStringList& after);

class DocumentHistory {
public:
    // At most this many steps are kept; the oldest goes first.
    static constexpr int KeptSteps = 100;
    // Steps are dropped below this count only when they take more memory than the budget.
    static constexpr int GuaranteedSteps = 50;
    static constexpr qsizetype MemoryBudget = qsizetype(64) * 1024 * 1024;

    // A new document: no steps; `saved` tells that the lines are those of the file on disk.
    void reset(const QStringList& lines, const StoreState& state, bool saved);

    // Records what changed in `lines` since the last record as one step named `label` (false when
    // nothing did). `state` is the store's state now; it becomes the state the next step starts
    // from even when the lines did not change. A `derived` step (the [MAP] a save rebuilds) is
    // undone and redone with the step before it and never on its own. Recording drops the steps
    // that were undone.
    bool record(const QStringList& lines, const StoreState& state, const QString& label, bool derived = false);

    bool canUndo() const;
    bool canRedo() const;
    QString undoLabel() const;
    QString redoLabel() const;
    // Turn `lines` (which must be the lines last recorded) back by one step, or forward again;
    // `state` receives the state the lines had then. False when there is nothing to replay.
    bool undo(QStringList& lines, StoreState& state, QString* label = nullptr);
    bool redo(QStringList& lines, StoreState& state, QString* label = nullptr);

    // The lines now are those of the file on disk.
    void markSaved() { savedAt_ = pos_; }
    bool atSaved() const { return savedAt_ == pos_; }

    int stepCount() const { return int(steps_.size()); }
    // What the steps take in memory (their packed runs and labels).
    qsizetype memoryBytes() const { return bytes_; }

private:
    struct Step {
        QString label;
        StoreState before;
        StoreState after;
        bool derived = false;
        bool compressed = false;
        QByteArray data; // the hunks and their old and new lines, packed
        qsizetype bytes() const { return data.capacity() + label.capacity() * 2 + qsizetype(sizeof(Step)); }
    };
    void replay(const Step& step, bool forward, QStringList& lines) const;
    void trim();
    int realStepBelow(int pos) const; // index of the nearest non-derived step under `pos`, or -1

    QStringList known_; // the lines at the last record (shares their text)
    StoreState state_;
    std::vector<Step> steps_;
    int pos_ = 0;     // steps applied
    int savedAt_ = 0; // `pos_` when the lines were those on disk; -1 when no longer reachable
    qsizetype bytes_ = 0;
};

} // namespace store
