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
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.code = p.exitCode();
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

} // namespace clitest
