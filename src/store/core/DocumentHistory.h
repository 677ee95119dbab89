#pragma once
// The document's one history for Undo and Redo. A step keeps only the runs of lines an operation
// replaced (what stood there before and what stands there after), never a copy of the document.
// Two ways in, one record:
// - the store's own edits (a page written back, a deletion's renumbering, a page added) go through
//   replace() and set(), which make the edit and note it: no comparing, so a page turn stays cheap;
// - a command that changes the lines its own way (a dialog's result, a replace-all) runs between
//   begin() and end(): what changed is found by comparing the lines with those at begin().
// record() closes what was noted and found into one step. Before a step is replayed, the lines it
// expects are checked, so a change that went round the history is never replayed over.
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

// The runs that turn `before` into `after`, in order. Lines are matched in one forward walk: at a
// difference the nearest place where both lists agree again is taken (the same line objects two
// in a row, or both ends), so a block moved to the end, a block removed and tag lines renumbered
// in place each give small runs; lines written again with the same text drop out. When no
// agreement is found within a few thousand lines the rest is one run.
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

    // Replaces `count` lines at `at` by `with`, and notes it (inside begin/end it is found anyway).
    void replace(QStringList& lines, int at, int count, const QStringList& with);
    void set(QStringList& lines, int at, const QString& with);

    // From here to end() the lines may change in any way; nested calls are counted.
    void begin(const QStringList& lines);
    void end();

    // Closes what changed since the last record into one step named `label` (false when nothing
    // did). `state` is the store's state now; it becomes the state the next step starts from even
    // when nothing changed. A `derived` step (the [MAP] a save rebuilds) is undone and redone with
    // the step before it and never on its own. Recording drops the steps that were undone.
    bool record(const QStringList& lines, const StoreState& state, const QString& label, bool derived = false);

    bool canUndo() const;
    bool canRedo() const;
    QString undoLabel() const;
    QString redoLabel() const;
    enum class Replay { Done, Nothing, OutOfStep };
    // Turn `lines` back by one step, or forward again; `state` receives the state the lines had
    // then. OutOfStep (the lines are not those the step left: something changed them outside the
    // history) changes nothing and forgets every step.
    Replay undo(QStringList& lines, StoreState& state, QString* label = nullptr);
    Replay redo(QStringList& lines, StoreState& state, QString* label = nullptr);

    // The lines now are those of the file on disk.
    void markSaved() { savedAt_ = pos_; }
    bool atSaved() const { return savedAt_ == pos_; }

    int stepCount() const { return int(steps_.size()); }
    // What the steps take in memory (their packed runs and labels).
    qsizetype memoryBytes() const { return bytes_; }

private:
    struct Edit {
        int at = 0;
        QStringList removed;
        QStringList inserted;
    };
    struct Step {
        QString label;
        StoreState before;
        StoreState after;
        bool derived = false;
        bool compressed = false;
        QByteArray data; // the edits, in the order they were made, packed
        qsizetype bytes() const { return data.capacity() + label.capacity() * 2 + qsizetype(sizeof(Step)); }
    };
    static std::vector<Edit> unpack(const Step& step);
    bool replay(const Step& step, bool forward, QStringList& lines) const;
    void forget();
    void trim();
    int realStepBelow(int pos) const; // index of the nearest non-derived step under `pos`, or -1

    std::vector<Edit> pending_;    // edits made since the last record
    QStringList snapshot_;         // the lines at begin() or at the last record inside it
    int depth_ = 0;
    StoreState state_;
    std::vector<Step> steps_;
    int pos_ = 0;     // steps applied
    int savedAt_ = 0; // `pos_` when the lines were those on disk; -1 when no longer reachable
    qsizetype bytes_ = 0;
};

} // namespace store
