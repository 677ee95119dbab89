#pragma once
// Runs the built-in compiler (or the HTML help) on a worker thread so the window stays alive during
// a long build.
// The compiler reads only the files on disk, never the document in memory.
#include "winhelp/HlpCompiler.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QThread;

class CompileJob : public QObject {
    Q_OBJECT
public:
    explicit CompileJob(QObject* parent = nullptr);
    ~CompileJob() override;

    bool running() const { return thread_ != nullptr; }
    // Starts compiling `hpjPath`; false when a compile is already running.
    bool start(const QString& hpjPath);
    // Starts another job on the project's files (the HTML help); false when one is running.
    bool start(std::function<hlp::CompileResult()> job);
    // Waits for the running compile (tests, closing the program).
    void wait();

Q_SIGNALS:
    void finished(const hlp::CompileResult& result);

private:
    void collect(const hlp::CompileResult& result);

    QThread* thread_ = nullptr;
    quint64 run_ = 0;
    std::shared_ptr<hlp::CompileResult> result_;
};
