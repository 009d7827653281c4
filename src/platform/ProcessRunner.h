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
};

} // namespace brevant
