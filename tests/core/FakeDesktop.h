#pragma once

// A desktop that records every call as one step ({"run", program, arguments…}, {"remove", path},
// {"exists", path}, {"terminal", file}, {"quit"}) with the time it came, instead of acting.

#include "Awaitables.h"
#include "DesktopServices.h"

#include <QElapsedTimer>
#include <QList>
#include <QSet>
#include <QStringList>
#include <QUrl>

namespace brevant::test {

class FakeDesktop : public DesktopServices {
public:
    QList<QStringList> steps;
    QList<qint64> stepTimes; // ms since construction, one per step
    QSet<QString> existing;  // paths that pathExists reports
    std::chrono::milliseconds runDuration{0};

    FakeDesktop() { m_clock.start(); }

    void note(QStringList step) {
        steps.push_back(std::move(step));
        stepTimes.push_back(m_clock.elapsed());
    }
    qint64 now() const { return m_clock.elapsed(); }
    int count(const QString& kind) const {
        return static_cast<int>(std::count_if(steps.begin(), steps.end(),
                                              [&](const QStringList& s) { return s.first() == kind; }));
    }

    QCoro::Task<void> runAndWait(QString program, QStringList arguments) override {
        return run(QStringLiteral("run"), std::move(program), std::move(arguments));
    }
    QCoro::Task<void> runAndWaitDroppingErrors(QString program, QStringList arguments) override {
        return run(QStringLiteral("run quietly"), std::move(program), std::move(arguments));
    }
    void openUrl(const QUrl& url) override { note({QStringLiteral("url"), url.toString()}); }
    void openFileInTerminal(const QString& file) override { note({QStringLiteral("terminal"), file}); }
    void writeTextFileAtomically(const QString& path, const QString&) override {
        note({QStringLiteral("write"), path});
    }
    void setPermissions(const QString& path, int) override { note({QStringLiteral("chmod"), path}); }
    void copyText(const QString& text) override { note({QStringLiteral("copy"), text}); }
    bool pathExists(const QString& path) override {
        note({QStringLiteral("exists"), path});
        return existing.contains(path);
    }
    void removeFile(const QString& path) override { note({QStringLiteral("remove"), path}); }
    QString homeDirectory() override { return QStringLiteral("/home/tester"); }
    void quit() override { note({QStringLiteral("quit")}); }

private:
    QCoro::Task<void> run(QString kind, QString program, QStringList arguments) {
        note(QStringList{kind, program} + arguments);
        if (runDuration.count() > 0)
            co_await delay(runDuration);
    }

    QElapsedTimer m_clock;
};

} // namespace brevant::test
