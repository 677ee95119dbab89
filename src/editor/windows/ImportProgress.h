#pragma once
// The import of a large text file into the body, shown modally with its progress: the file is
// read and decoded on a thread of its own, then goes into the body a piece at a time, so the
// window keeps answering; "Annuler" puts the body back as it was.
#include "editor/core/ImportText.h"

#include <QProgressDialog>
#include <QTextCursor>
#include <atomic>
#include <thread>

class QPlainTextEdit;
class QTimer;

class ImportProgress : public QProgressDialog {
    Q_OBJECT
public:
    // Characters that go into the body between two turns of the event loop.
    static constexpr qsizetype Piece = 256 * 1024;

    // The file's text replaces the selection of `body` while the dialog is shown.
    ImportProgress(QWidget* parent, QPlainTextEdit* body, const QString& fileName);
    ~ImportProgress() override;

    // After the showing: true when the whole file went in.
    bool imported() const { return state_ == State::Done; }
    // Why the file could not be read (French), or empty.
    QString error() const { return error_; }
    // Characters that became '?'.
    int replaced() const { return text_.replaced; }

    void done(int result) override;

Q_SIGNALS:
    // A piece went into the body; `inserted` characters so far.
    void pieceInserted(qsizetype inserted);

protected:
    void showEvent(QShowEvent* event) override;

private:
    enum class State { Waiting, Reading, Inserting, Done, Stopped };
    void read();
    void insertPiece();
    void stop();

    QPlainTextEdit* body_;
    QString fileName_;
    State state_ = State::Waiting;
    std::thread reader_;
    std::atomic<bool> cancelled_{false};
    bool readOk_ = false;
    editor::ImportedText text_;
    QString error_;
    QTimer* pieces_;
    QTextCursor cursor_;
    int start_ = 0;            // where the text goes
    int anchor_ = 0, position_ = 0; // the selection it replaces
    qsizetype inserted_ = 0;   // characters of it in the body so far
    QString replacedText_;     // and its text, put back by "Annuler"
    bool wasModified_ = false;
};
