#pragma once
// Runs one of the command-line programs and gathers what it printed.
#include <QProcess>
#include <QString>
#include <QStringList>

namespace clitest {

struct Run {
    int code = -1;
    QString out;
    QString err;
};

inline Run runProgram(const QString& exe, const QStringList& args)
{
    QProcess p;
    p.start(exe, args);
    Run r;
    // A program that hangs (on a FIFO, say) is a failure, not a stuck test run.
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitCode();
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

} // namespace clitest
