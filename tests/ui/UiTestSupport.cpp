#include "UiTestSupport.h"

#include "FakeDaemon.h"
#include "TestSupport.h"
#include "Theme.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace brevant::test {

QCoro::Task<void> RecordingDesktop::runAndWait(QString program, QStringList arguments) {
    runs.push_back(QStringList{program} + arguments);
    co_return;
}

DesktopGuard::DesktopGuard() : m_desktop(std::make_shared<RecordingDesktop>()) {
    setDesktopServices(m_desktop);
}
DesktopGuard::~DesktopGuard() {
    setDesktopServices(nullptr);
}

void initUiTest() {
    Theme::loadFonts();
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        Theme::applyPalette(*app);
        app->setFont(Theme::font(13));
    }
}

std::unique_ptr<DaemonClient> makeClient(const FakeDaemon& daemon, const TempConfig& config,
                                         std::shared_ptr<ProcessRunner> runner) {
    if (!runner)
        runner = std::make_shared<RecordingDesktop>();
    return std::make_unique<DaemonClient>(fastSettings(daemon.baseURL(), config.path()), runner,
                                          linuxProfile());
}

QByteArray statusJson(const QList<Svc>& services) {
    QByteArray out = "{\"services\":[";
    for (qsizetype i = 0; i < services.size(); ++i) {
        const Svc& s = services[i];
        if (i)
            out += ',';
        out += QByteArray("{\"name\":\"") + s.name + "\",\"status\":\"" + s.status + "\"";
        if (s.port)
            out += ",\"port\":" + QByteArray::number(s.port);
        out += '}';
    }
    return out + "]}";
}

QByteArray systemInfoJson(int cores, const QList<double>& load, qint64 memTotal, qint64 memUsed,
                          int memPercent, qint64 diskTotal, qint64 diskFree, int diskPercent) {
    QByteArray loads;
    for (qsizetype i = 0; i < load.size(); ++i)
        loads += (i ? "," : "") + QByteArray::number(load[i]);
    return "{\"os\":{\"platform\":\"linux\",\"release\":\"6.1\",\"arch\":\"x64\",\"hostname\":\"box\"},"
           "\"cpu\":{\"model\":\"Test CPU\",\"cores\":" +
           QByteArray::number(cores) + ",\"loadAverage\":[" + loads +
           "]},"
           "\"memory\":{\"total\":" +
           QByteArray::number(memTotal) + ",\"free\":" + QByteArray::number(memTotal - memUsed) +
           ",\"used\":" + QByteArray::number(memUsed) + ",\"percentUsed\":" + QByteArray::number(memPercent) +
           "},\"disk\":{\"total\":" + QByteArray::number(diskTotal) +
           ",\"free\":" + QByteArray::number(diskFree) +
           ",\"used\":" + QByteArray::number(diskTotal - diskFree) +
           ",\"percentUsed\":" + QByteArray::number(diskPercent) +
           "},\"uptime\":1000,\"nodeVersion\":\"v20\"}";
}

QByteArray configJson(int daemonApi, int apacheHttp) {
    return "{\"version\":\"1.2.0\",\"defaultWebServer\":\"nginx\",\"defaultPhpVersion\":\"8.3\","
           "\"ports\":{\"apacheHttp\":" +
           QByteArray::number(apacheHttp) +
           ",\"apacheHttps\":8443,\"nginxHttp\":8081,\"nginxHttps\":8444,\"mariadb\":3306,\"phpFpm\":9000,"
           "\"pm2Web\":9615,\"mailhogSmtp\":1025,\"mailhogWeb\":8025,\"daemonApi\":" +
           QByteArray::number(daemonApi) +
           "},\"paths\":{\"wwwRoot\":\"/w\",\"dataDir\":\"/d\",\"logsDir\":\"/l\",\"confDir\":\"/"
           "c\",\"binDir\":\"/"
           "b\"},\"autoStart\":true,\"bindAddress\":\"127.0.0.1\"}";
}

PaintCounter::PaintCounter(QWidget* root) : m_root(root) {
    qApp->installEventFilter(this);
}
PaintCounter::~PaintCounter() {
    qApp->removeEventFilter(this);
}

QStringList PaintCounter::painted() const {
    return QStringList(m_painted.begin(), m_painted.end());
}

bool PaintCounter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && (w == m_root || m_root->isAncestorOf(w))) {
            ++m_count;
            m_painted.insert(w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                                       : w->objectName());
        }
    }
    return false;
}

} // namespace brevant::test
