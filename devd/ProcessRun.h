#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <QCoroTask>

#include <chrono>

namespace brevant::devd {

struct ProcessOutcome {
    bool started = false;  // false: the program could not be run at all
    bool timedOut = false; // killed after the time limit
    bool crashed = false;
    int exitCode = -1;
    QByteArray standardError;

    bool succeeded() const { return started && !timedOut && !crashed && exitCode == 0; }
    // The last `lines` lines of standard error, for a reply.
    QString errorTail(int lines = 5) const;
};

// Runs a program to its end without blocking the event loop: the awaiting coroutine resumes
// once the program exits, cannot start, or is killed after `limit`. Standard input is closed.
QCoro::Task<ProcessOutcome>
runProcess(QString program, QStringList arguments, QString workingDirectory, std::chrono::milliseconds limit,
           QProcessEnvironment environment = QProcessEnvironment::systemEnvironment());

} // namespace brevant::devd
