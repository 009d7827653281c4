// The real process runner: it resumes exactly once, whatever way the program ends or fails to start.

#include "QtProcessRunner.h"

#include <QCoroTask>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using namespace brevant;

class ProcessRunnerTest : public QObject {
    Q_OBJECT

private slots:
    void programThatCannotRunEndsTheWait_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("interpreter missing") << QByteArray("#!/nonexistent/interpreter\necho hi\n");
        QTest::newRow("not a program format") << QByteArray("\x01\x02 not a program\n");
    }
    // Qt reports such a program as ended first and as failed to start afterwards; the runner must
    // not touch the finished wait when the second report comes (AddressSanitizer catches it).
    void programThatCannotRunEndsTheWait() {
        QFETCH(QByteArray, contents);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("unrunnable"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
        file.close();
        QVERIFY(file.setPermissions(QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser));

        QtProcessRunner runner;
        QElapsedTimer t;
        t.start();
        // Awaited from a coroutine, as the callers do: the finished wait is freed at once.
        auto twice = [&]() -> QCoro::Task<void> {
            co_await runner.runAndWait(path, {});
            co_await runner.runAndWait(path, {});
        };
        QCoro::waitFor(twice());
        QVERIFY(t.elapsed() < 5000);
    }

    // What a program writes to its error output reaches ours, unless the caller drops it.
    void errorOutputIsForwardedOrDropped() {
        QTemporaryDir dir;
        const QString capture = dir.filePath(QStringLiteral("stderr"));
        const int saved = ::dup(STDERR_FILENO);
        const int fd = ::open(QFile::encodeName(capture).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        QVERIFY(saved >= 0 && fd >= 0);
        ::dup2(fd, STDERR_FILENO);
        ::close(fd);
        QtProcessRunner runner;
        const QStringList says = {QStringLiteral("-c"), QStringLiteral("echo $0 >&2")};
        QCoro::waitFor(runner.runAndWait(QStringLiteral("sh"), says + QStringList{QStringLiteral("kept")}));
        QCoro::waitFor(runner.runAndWaitDroppingErrors(QStringLiteral("sh"),
                                                       says + QStringList{QStringLiteral("dropped")}));
        ::dup2(saved, STDERR_FILENO);
        ::close(saved);
        QFile f(capture);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("kept\n"));
    }
};

QTEST_GUILESS_MAIN(ProcessRunnerTest)
#include "ProcessRunnerTest.moc"
