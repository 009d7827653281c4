#pragma once

// A desktop that records every call instead of acting: as one step ({"run", program, arguments…},
// {"remove", path}, {"exists", path}, {"terminal", file}, {"quit"}) with the time it came, and by
// kind (the URLs opened, the texts copied, the programs run, the terminal files).

#include "Awaitables.h"
#include "DesktopServices.h"

#include <QElapsedTimer>
#include <QList>
#include <QSet>
#include <QStringList>
#include <QUrl>

namespace brevant::test {

class RecordingDesktop : public DesktopServices {
public:
    QList<QStringList> steps;
    QList<QUrl> openedUrls;
    QStringList copied;
    QList<QStringList> runs; // program and arguments
    QStringList terminalFiles;
    QList<qint64> stepTimes; // ms since construction, one per step
    QSet<QString> existing;  // paths that pathExists reports
    std::chrono::milliseconds runDuration{0};

    RecordingDesktop() { m_clock.start(); }

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
    void openUrl(const QUrl& url) override {
        openedUrls.push_back(url);
        note({QStringLiteral("url"), url.toString()});
    }
    void openFileInTerminal(const QString& file) override {
        terminalFiles.push_back(file);
        note({QStringLiteral("terminal"), file});
    }
    void writeTextFileAtomically(const QString& path, const QString&) override {
        note({QStringLiteral("write"), path});
    }
    void setPermissions(const QString& path, int) override { note({QStringLiteral("chmod"), path}); }
    void copyText(const QString& text) override {
        copied.push_back(text);
        note({QStringLiteral("copy"), text});
    }
    bool pathExists(const QString& path) override {
        note({QStringLiteral("exists"), path});
        return existing.contains(path);
    }
    void removeFile(const QString& path) override { note({QStringLiteral("remove"), path}); }
    QString homeDirectory() override { return QStringLiteral("/home/tester"); }
    void quit() override { note({QStringLiteral("quit")}); }

private:
    QCoro::Task<void> run(QString kind, QString program, QStringList arguments) {
        runs.push_back(QStringList{program} + arguments);
        note(QStringList{kind, program} + arguments);
        if (runDuration.count() > 0)
            co_await delay(runDuration);
    }

    QElapsedTimer m_clock;
};

} // namespace brevant::test
