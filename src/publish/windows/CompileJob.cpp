#include "publish/windows/CompileJob.h"

#include <QThread>

CompileJob::CompileJob(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<hlp::CompileResult>("hlp::CompileResult");
}

CompileJob::~CompileJob()
{
    wait();
}

bool CompileJob::start(const QString& hpjPath)
{
    return start([hpjPath] { return hlp::HlpCompiler().compile(hpjPath); });
}

bool CompileJob::start(std::function<hlp::CompileResult()> job)
{
    if (thread_)
        return false;
    thread_ = QThread::create([this, job = std::move(job)] { result_ = job(); });
    connect(thread_, &QThread::finished, this, [this] {
        QThread* done = thread_;
        thread_ = nullptr;
        done->deleteLater();
        Q_EMIT finished(result_);
    });
    thread_->start();
    return true;
}

void CompileJob::wait()
{
    if (!thread_)
        return;
    thread_->wait();
    // Deliver the queued finish now, so the caller sees the result when wait() returns.
    QThread* done = thread_;
    thread_ = nullptr;
    disconnect(done, nullptr, this, nullptr);
    delete done;
    Q_EMIT finished(result_);
}
