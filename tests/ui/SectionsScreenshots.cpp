// Renders the sections, the tool dialogs and the uninstall window offscreen into
// $BREVANT_SCREENSHOTS (PNG files) for the docs.
// Without the variable there is nothing to write and the test skips.

#include "RecordingDesktop.h"
#include "FastUninstall.h"
#include "UiTestSupport.h"
#include "kit/Button.h"
#include "kit/Theme.h"
#include "projects/ProjectsView.h"
#include "protools/BackupsSheet.h"
#include "protools/CMSInstallSheet.h"
#include "protools/DNSEditorSheet.h"
#include "protools/GitCloneSheet.h"
#include "protools/ProToolsView.h"
#include "protools/ToolStatus.h"
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
using namespace std::chrono_literals;

namespace {
// The main window's content area beside the 210 pt sidebar at the minimum window size.
constexpr QSize kContent(610, 520);
} // namespace

class SectionsScreenshots : public QObject {
    Q_OBJECT
    QDir out;

    // `unfocused`: as the section looks before Tab reaches it (shown alone, its first control takes
    // the focus).
    void save(QWidget& w, const QString& name, bool unfocused = false) {
        if (w.minimumSize() != w.maximumSize())
            w.resize(kContent);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::qWait(50);
        if (QWidget* focus = QApplication::focusWidget(); focus && unfocused)
            focus->clearFocus();
        const QImage image = w.grab().toImage();
        QVERIFY(!image.isNull());
        QVERIFY(image.save(out.filePath(name + QStringLiteral(".png"))));
    }

    // A dialog as it stands, at its own size.
    void saveSheet(QWidget* sheet, const QString& name) {
        QVERIFY(sheet);
        QVERIFY(QTest::qWaitForWindowExposed(sheet));
        QTest::qWait(50);
        QVERIFY(sheet->grab().toImage().save(out.filePath(name + QStringLiteral(".png"))));
    }
    template <class T> static T* child(QWidget* parent, const char* name) {
        return parent->findChild<T*>(QString::fromLatin1(name));
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

    void proTools() {
        Fixture f;
        // Every request of a dialog stays open long enough to be pictured busy.
        const FakeDaemon::Reply slow{200, FakeDaemon::envelope("{}"), 30s};
        ProToolsView v(f.client.get());
        save(v, QStringLiteral("protools"), true);
        v.status()->report(QStringLiteral("Cloned into /opt/brevant/www/shop"), false);
        save(v, QStringLiteral("protools-status-success"), true);
        v.status()->report(QStringLiteral("Could not connect to the daemon: connection refused."), true);
        save(v, QStringLiteral("protools-status-error"), true);
        v.status()->clearMessage();

        f.daemon.setReply("POST", "/api/pro/git/clone", slow);
        v.presentGitClone();
        auto* clone = qobject_cast<GitCloneSheet*>(v.presentedSheet());
        saveSheet(clone, QStringLiteral("git-clone"));
        child<QLineEdit>(clone, "repoURLField")
            ->setText(QStringLiteral("https://github.com/kelvask/shop.git"));
        child<Button>(clone, "cloneButton")->click();
        saveSheet(clone, QStringLiteral("git-clone-busy"));
        clone->dismiss();

        f.daemon.setReply("POST", "/api/pro/cms/install", slow);
        v.presentCMSInstall();
        auto* install = qobject_cast<CMSInstallSheet*>(v.presentedSheet());
        saveSheet(install, QStringLiteral("cms-install"));
        install->selectCMS(QStringLiteral("laravel"));
        child<QLineEdit>(install, "projectNameField")->setText(QStringLiteral("blog"));
        saveSheet(install, QStringLiteral("cms-install-chosen"));
        child<Button>(install, "installButton")->click();
        saveSheet(install, QStringLiteral("cms-install-busy"));
        install->dismiss();

        f.daemon.setReply("GET", "/api/pro/dns", slow);
        v.presentDNSEditor();
        saveSheet(v.presentedSheet(), QStringLiteral("dns-editor-loading"));
        v.presentedSheet()->dismiss();
        const QByteArray hosts = "{\"entries\":[{\"ip\":\"127.0.0.1\",\"hostname\":\"shop.test\"},"
                                 "{\"ip\":\"127.0.0.1\",\"hostname\":\"blog.test\"},"
                                 "{\"ip\":\"::1\",\"hostname\":\"api-gateway.local\"},"
                                 "{\"ip\":\"192.168.1.20\",\"hostname\":\"nas.home\"}]}";
        f.daemon.setData("GET", "/api/pro/dns", hosts);
        v.presentDNSEditor();
        auto* dns = qobject_cast<DNSEditorSheet*>(v.presentedSheet());
        QTRY_VERIFY(!dns->isLoading());
        child<QLineEdit>(dns, "hostnameField")->setText(QStringLiteral("docs.test"));
        saveSheet(dns, QStringLiteral("dns-editor"));
        dns->dismiss();

        f.daemon.setData("GET", "/api/pro/backups", backupsJson(0));
        v.presentBackups();
        auto* backups = qobject_cast<BackupsSheet*>(v.presentedSheet());
        QTRY_VERIFY(!backups->isLoading());
        saveSheet(backups, QStringLiteral("backups-empty"));
        backups->dismiss();
        const QByteArray list =
            "{\"backups\":[{\"name\":\"backup-2024-03-05-102030.tar.gz\",\"size\":52428800,"
            "\"created\":\"2024-03-05T10:20:30Z\"},{\"name\":\"backup-2024-02-28-090000.tar.gz\","
            "\"size\":1536,\"created\":\"2024-02-28T09:00:00Z\"},{\"name\":\"before-upgrade.zip\","
            "\"size\":734003200,\"created\":\"today\"}]}";
        f.daemon.setData("GET", "/api/pro/backups", list);
        f.daemon.setReply("POST", "/api/pro/backup/create", slow);
        v.presentBackups();
        backups = qobject_cast<BackupsSheet*>(v.presentedSheet());
        QTRY_VERIFY(!backups->isLoading());
        saveSheet(backups, QStringLiteral("backups"));
        child<Button>(backups, "createBackupButton")->click();
        saveSheet(backups, QStringLiteral("backups-creating"));
        backups->dismiss();
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
        auto desktop = std::make_shared<RecordingDesktop>();
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
