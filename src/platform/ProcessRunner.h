#pragma once

#include <QString>
#include <QStringList>

#include <QCoroTask>

namespace brevant {

// Runs a program and waits for its end without blocking the event loop.
class ProcessRunner {
public:
    virtual ~ProcessRunner() = default;

    // Completes once the program has exited, or at once when it cannot be started.
    // The exit status and the output are not looked at.
    virtual QCoro::Task<void> runAndWait(QString program, QStringList arguments) = 0;
    // The same with the program's error output thrown away, for tools that complain on a
    // cancelled prompt: the program itself writes no log output.
    virtual QCoro::Task<void> runAndWaitDroppingErrors(QString program, QStringList arguments) {
        return runAndWait(std::move(program), std::move(arguments));
    }
};

} // namespace brevant
