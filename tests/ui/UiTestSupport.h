#pragma once

// Helpers of the widget tests: a recording desktop, a launcher that starts nothing, JSON for
// the fixture's routes, and a paint counter.

#include "DaemonClient.h"
#include "DesktopServices.h"

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QUrl>

#include <memory>

class QWidget;

namespace brevant::test {

class FakeDaemon;
class TempConfig;

// Records what the views ask of the desktop instead of doing it.
class RecordingDesktop : public DesktopServices {
public:
    QList<QUrl> openedUrls;
    QStringList copied;
    QList<QStringList> runs;

    QCoro::Task<void> runAndWait(QString program, QStringList arguments) override;
    void openUrl(const QUrl& url) override { openedUrls.push_back(url); }
    void openFileInTerminal(const QString&) override {}
    void writeTextFileAtomically(const QString&, const QString&) override {}
    void setPermissions(const QString&, int) override {}
    void copyText(const QString& text) override { copied.push_back(text); }
    bool pathExists(const QString&) override { return false; }
    void removeFile(const QString&) override {}
    QString homeDirectory() override { return QStringLiteral("/home/test"); }
    void quit() override {}
};

// Installs a RecordingDesktop for the lifetime of this object.
class DesktopGuard {
public:
    DesktopGuard();
    ~DesktopGuard();
    RecordingDesktop& desktop() { return *m_desktop; }

private:
    std::shared_ptr<RecordingDesktop> m_desktop;
};

// Fonts and palette as the application sets them.
void initUiTest();

// A client of the fixture whose launcher records instead of starting anything.
std::unique_ptr<DaemonClient> makeClient(const FakeDaemon& daemon, const TempConfig& config,
                                         std::shared_ptr<ProcessRunner> runner = nullptr);

struct Svc {
    const char* name;
    const char* status;
    int port = 0; // 0: no port
};
QByteArray statusJson(const QList<Svc>& services);
QByteArray systemInfoJson(int cores, const QList<double>& load, qint64 memTotal, qint64 memUsed,
                          int memPercent, qint64 diskTotal, qint64 diskFree, int diskPercent);
QByteArray configJson(int daemonApi, int apacheHttp);

// Counts paint events of a widget and everything inside it.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* root);
    ~PaintCounter() override;
    int count() const { return m_count; }
    // Names (object name or class) of the widgets painted so far.
    QStringList painted() const;
    void reset() {
        m_count = 0;
        m_painted.clear();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_root;
    int m_count = 0;
    QSet<QString> m_painted;
};

} // namespace brevant::test

Q_DECLARE_METATYPE(brevant::test::Svc)
