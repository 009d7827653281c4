// Renders the two sections and the uninstall window offscreen into $BREVANT_SCREENSHOTS (PNG
// files) for the docs.
// Without the variable there is nothing to write and the test skips.

#include "FakeDesktop.h"
#include "FastUninstall.h"
#include "UiTestSupport.h"
#include "kit/Button.h"
#include "kit/Theme.h"
#include "projects/ProjectsView.h"
#include "settings/SettingsView.h"
#include "uninstall/UninstallView.h"

#include <QApplication>
#include <QCoroTask>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace brevant;
using namespace brevant::test;

namespace {
// The main window's content area beside the 210 pt sidebar at the minimum window size.
constexpr QSize kContent(610, 520);
} // namespace

class SectionsScreenshots : public QObject {
    Q_OBJECT
    QDir out;

    void save(QWidget& w, const QString& name) {
        if (w.minimumSize() != w.maximumSize())
            w.resize(kContent);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::qWait(50);
        const QImage image = w.grab().toImage();
        QVERIFY(!image.isNull());
        QVERIFY(image.save(out.filePath(name + QStringLiteral(".png"))));
    }

private slots:
    void initTestCase() {
        const QString dir = qEnvironmentVariable("BREVANT_SCREENSHOTS");
        if (dir.isEmpty())
            QSKIP("BREVANT_SCREENSHOTS is not set");
        out = QDir(dir);
        QVERIFY(out.mkpath(QStringLiteral(".")));
        initUiTest();
    }

    void projects() {
        Fixture f;
        f.daemon.setData("GET", "/api/vhosts", projectListJson(0));
        {
            ProjectsView v(f.client.get());
            QTRY_COMPARE(f.daemon.count("GET", "/api/vhosts"), 1);
            save(v, QStringLiteral("projects-empty"));
        }
        const QList<QByteArray> list{
            projectJson("1", "shop", "nginx", "8.3", true),
            projectJson("2", "blog", "apache", "8.2"),
            projectJson("3", "api-gateway", "NGINX", "8.3", true),
            projectJson("4", "legacy-intranet", "apache", ""),
            projectJson("5", "a-project-with-a-rather-long-name-that-will-not-fit-on-one-line-of-this-panel",
                        "caddy", "8.3"),
        };
        f.daemon.setData("GET", "/api/vhosts", projectListJson(list));
        ProjectsView v(f.client.get());
        QTRY_COMPARE(f.client->projects().size(), list.size());
        save(v, QStringLiteral("projects-list"));
        v.findChild<Button*>(QStringLiteral("newProjectButton"))->click();
        v.findChild<QLineEdit*>(QStringLiteral("nameField"))->setText(QStringLiteral("docs"));
        save(v, QStringLiteral("projects-form"));
    }

    void settings() {
        Fixture f;
        f.daemon.setData("GET", "/api/config", configJson({.autoStart = true}));
        f.daemon.setData("GET", "/api/databases", databaseJson());
        f.daemon.setData("GET", "/api/system/info", systemInfoJson());
        f.daemon.setData(
            "GET", "/api/config/credentials",
            credentialsJson("9f2c4e1a7b3d5f608e1c2a4b6d8f0e1c3a5b7d9f1e3c5a7b9d1f3e5c7a9b1d3f5e7c9a1b3d5"
                            "f7e9c1a3b5d7f9e1c3a5b7d9f1e3c5a7b9d"));
        QCoro::waitFor(f.client->fetchSystemInfo());
        SettingsView v(f.client.get());
        QTRY_COMPARE(f.daemon.count("GET", "/api/databases"), 1);
        QTest::qWait(50);
        save(v, QStringLiteral("settings"));
        v.findChild<Button*>(QStringLiteral("showCredentials"))->click();
        QTRY_COMPARE(f.daemon.count("GET", "/api/config/credentials"), 1);
        QTest::qWait(50);
        // Tall enough to show every section.
        v.resize(kContent.width(), 1000);
        const QImage image = v.grab().toImage();
        QVERIFY(image.save(out.filePath(QStringLiteral("settings-credentials.png"))));
        v.resize(kContent);
        SettingsView loading(nullptr);
        save(loading, QStringLiteral("settings-loading"));
    }

    // Idle, running and failed; the procedure runs over a recording desktop.
    void uninstall() {
        Fixture f;
        auto desktop = std::make_shared<FakeDesktop>();
        desktop->runDuration = std::chrono::milliseconds(300);
        desktop->existing.insert(kUninstallTestDir);
        setDesktopServices(desktop);
        UninstallView v(uninstallTestProfile(), fastUninstall(f));
        v.setFixedSize(420, 280);
        save(v, QStringLiteral("uninstall-idle"));
        v.findChild<Button*>(QStringLiteral("uninstallButton"))->click();
        save(v, QStringLiteral("uninstall-running"));
        QTRY_VERIFY(v.result());
        save(v, QStringLiteral("uninstall-failure"));
        setDesktopServices(nullptr);
    }
};

QTEST_MAIN(SectionsScreenshots)
#include "SectionsScreenshots.moc"
