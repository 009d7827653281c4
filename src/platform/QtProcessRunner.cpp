#include "QtProcessRunner.h"

#include "Awaitables.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace brevant {

QCoro::Task<void> QtProcessRunner::runAndWait(QString program, QStringList arguments) {
    // QProcess would report a missing program only through errorOccurred; look first so that
    // a missing tool costs nothing.
    const QString executable =
        QFileInfo(program).isAbsolute() ? program : QStandardPaths::findExecutable(program);
    if (executable.isEmpty() || !QFileInfo(executable).isExecutable())
        co_return;

    auto process = std::make_unique<QProcess>();
    process->setProgram(executable);
    process->setArguments(arguments);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setInputChannelMode(QProcess::ForwardedInputChannel);
    bool failedToStart = false;
    QObject::connect(process.get(), &QProcess::errorOccurred, process.get(),
                     [&failedToStart](QProcess::ProcessError e) {
                         if (e == QProcess::FailedToStart)
                             failedToStart = true;
                     });
    process->start();
    // Either finished or a start failure ends the wait.
    while (process->state() != QProcess::NotRunning && !failedToStart)
        co_await nextSignal(process.get(), &QProcess::stateChanged);
    // The process object must not die inside its own signal emission.
    process.release()->deleteLater();
}

std::shared_ptr<ProcessRunner> defaultProcessRunner() {
    static const auto runner = std::make_shared<QtProcessRunner>();
    return runner;
}

} // namespace brevant
