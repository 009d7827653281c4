#include "QtProcessRunner.h"

#include "Awaitables.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <memory>

namespace brevant {

namespace {

struct LaterDeleter {
    void operator()(QObject* o) const { o->deleteLater(); }
};

QCoro::Task<void> run(QString program, QStringList arguments, bool dropErrorOutput) {
    const QString executable = findProgram(program);
    if (executable.isEmpty())
        co_return;

    // Deleted later: the coroutine resumes inside the process's own signal.
    const std::unique_ptr<QProcess, LaterDeleter> owner(new QProcess);
    QProcess* process = owner.get();
    process->setProgram(executable);
    process->setArguments(arguments);
    process->setInputChannelMode(QProcess::ForwardedInputChannel);
    if (dropErrorOutput) {
        process->setProcessChannelMode(QProcess::ForwardedOutputChannel);
        process->setStandardErrorFile(QProcess::nullDevice());
    } else {
        process->setProcessChannelMode(QProcess::ForwardedChannels);
    }
    process->start();
    // A program that cannot run (a missing interpreter, an unknown format) ends as NotRunning
    // too, and Qt reports FailedToStart only after that state change, on the same call stack.
    // So the wait looks at the state alone and keeps nothing that Qt's later reports could reach.
    while (process->state() != QProcess::NotRunning)
        co_await nextSignal(process, &QProcess::stateChanged);
    process->disconnect();
    // The caller must not go on inside the process's signal either: Qt is not done with it.
    co_await nextTurn();
}

} // namespace

QCoro::Task<void> QtProcessRunner::runAndWait(QString program, QStringList arguments) {
    return run(std::move(program), std::move(arguments), false);
}

QCoro::Task<void> QtProcessRunner::runAndWaitDroppingErrors(QString program, QStringList arguments) {
    return run(std::move(program), std::move(arguments), true);
}

QString findProgram(const QString& program) {
    // QProcess would report a missing program only through errorOccurred; look first so that
    // a missing tool costs nothing.
    QString executable =
        QFileInfo(program).isAbsolute() ? program : QStandardPaths::findExecutable(program);
    const QFileInfo info(executable);
    if (executable.isEmpty() || !info.isFile() || !info.isExecutable())
        return {};
    return executable;
}

std::shared_ptr<ProcessRunner> defaultProcessRunner() {
    static const auto runner = std::make_shared<QtProcessRunner>();
    return runner;
}

} // namespace brevant
