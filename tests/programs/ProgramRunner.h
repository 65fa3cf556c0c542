#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace corvane::test {

struct ProgramResult
{
    int exitCode = -1;
    bool finished = false;
    QString out;
    QString err;
};

// Runs a built program from the binaries folder and waits for it.
inline ProgramResult runProgram(const QString& name, const QStringList& arguments, int timeoutMs = 30000)
{
    QProcess process;
    process.start(QStringLiteral(CORVANE_BIN_DIR "/") + name, arguments);
    ProgramResult result;
    result.finished = process.waitForFinished(timeoutMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished();
    }
    result.exitCode = process.exitCode();
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

} // namespace corvane::test
