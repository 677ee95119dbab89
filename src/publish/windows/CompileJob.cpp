#include "publish/windows/CompileJob.h"

#include <QThread>

CompileJob::CompileJob(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<hlp::CompileResult>("hlp::CompileResult");
}

CompileJob::~CompileJob()
{
    // Closing the program during a compile: the help file is finished, but nobody is left to
    // hear about it (the windows that would show the result are being destroyed).
    if (!thread_)
        return;
    thread_->wait();
    delete thread_;
}

bool CompileJob::start(const QString& hpjPath)
{
    return start([hpjPath] { return hlp::HlpCompiler().compile(hpjPath); });
}

bool CompileJob::start(std::function<hlp::CompileResult()> job)
{
    if (thread_)
        return false;
    const quint64 run = ++run_;
    // The worker gets its own job and its own result: it shares nothing with the window thread
    // but the files on disk, written before it starts.
    auto result = std::make_shared<hlp::CompileResult>();
    thread_ = QThread::create([job = std::move(job), result] { *result = job(); });
    connect(thread_, &QThread::finished, this, [this, run, result] {
        // wait() may already have collected this run; a finish that arrives late is dropped.
        if (run != run_ || !thread_)
            return;
        collect(*result);
    });
    result_ = result;
    thread_->start();
    return true;
}

void CompileJob::wait()
{
    if (!thread_)
        return;
    thread_->wait();
    // Deliver the finish now, so the caller sees the result when wait() returns.
    collect(*result_);
}

void CompileJob::collect(const hlp::CompileResult& result)
{
    const hlp::CompileResult copy = result;
    QThread* done = thread_;
    thread_ = nullptr;
    result_.reset();
    disconnect(done, nullptr, this, nullptr);
    done->deleteLater();
    Q_EMIT finished(copy);
}
