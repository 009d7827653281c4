#include "ProcessRun.h"

#include <QProcess>
#include <QTimer>

#include <QCoroSignal>

#include <memory>

namespace brevant::devd {

QString ProcessOutcome::errorTail(int lines) const {
    QStringList all = QString::fromUtf8(standardError).trimmed().split(u'\n', Qt::SkipEmptyParts);
    if (all.size() > lines)
        all = all.mid(all.size() - lines);
    return all.join(u'\n');
}

namespace {

// Gathers the two ways a run ends (exit, or failure to start) into one signal.
class Completion : public QObject {
    Q_OBJECT
public:
    explicit Completion(QProcess* process) {
        connect(process, &QProcess::finished, this, [this] { finish(); });
        connect(process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart)
                finish();
        });
    }
    bool done = false;

signals:
    void ended();

private:
    void finish() {
        if (done)
            return;
        done = true;
        emit ended();
    }
};

struct LaterDeleter {
    void operator()(QObject* o) const { o->deleteLater(); }
};

} // namespace

QCoro::Task<ProcessOutcome> runProcess(QString program, QStringList arguments, QString workingDirectory,
                                       std::chrono::milliseconds limit, QProcessEnvironment environment) {
    // Deleted later: the coroutine resumes inside the process's own signal.
    const std::unique_ptr<QProcess, LaterDeleter> process(new QProcess);
    const std::unique_ptr<Completion, LaterDeleter> completion(new Completion(process.get()));
    process->setProgram(program);
    process->setArguments(arguments);
    process->setWorkingDirectory(workingDirectory);
    process->setProcessEnvironment(environment);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());

    bool timedOut = false;
    QProcess* raw = process.get();
    QTimer::singleShot(limit, raw, [raw, &timedOut] {
        if (raw->state() != QProcess::NotRunning) {
            timedOut = true;
            raw->kill();
        }
    });
    process->start();
    if (!completion->done)
        co_await qCoro(completion.get(), &Completion::ended);

    ProcessOutcome outcome;
    outcome.started = process->error() != QProcess::FailedToStart;
    outcome.timedOut = timedOut;
    outcome.crashed = process->exitStatus() == QProcess::CrashExit;
    outcome.exitCode = process->exitCode();
    outcome.standardError = process->readAllStandardError();
    co_return outcome;
}

} // namespace brevant::devd

#include "ProcessRun.moc"
