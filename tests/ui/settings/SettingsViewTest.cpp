// The Settings section against the fixture: placeholders, the load sequence, the credentials
// reveal, copying, and long values that must not widen the panel.

#include "settings/SettingsView.h"
#include "UiTestSupport.h"
#include "kit/Button.h"
#include "kit/Theme.h"
#include "settings/SettingsRows.h"

#include <QClipboard>
#include <QCoroTask>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace brevant;
using namespace brevant::test;

namespace {
const QStringList kTitles{"General", "Ports", "Database Connection", "Credentials", "Paths", "System"};

SettingsSection* section(const SettingsView& v, const QString& title) {
    return v.findChild<SettingsSection*>(QStringLiteral("section:") + title);
}
bool isLoading(const SettingsView& v, const QString& title) {
    auto* label = section(v, title)->findChild<QLabel*>(QStringLiteral("loading"));
    return label && label->text() == QStringLiteral("Loading...") && section(v, title)->hasBody();
}
ElidingValueLabel* value(const SettingsView& v, const QString& label) {
    return v.findChild<ElidingValueLabel*>(QStringLiteral("value:") + label);
}
QString shown(const SettingsView& v, const QString& label) {
    auto* l = value(v, label);
    return l ? l->text() : QStringLiteral("<absent>");
}
Button* showButton(const SettingsView& v) {
    return v.findChild<Button*>(QStringLiteral("showCredentials"));
}
} // namespace

class SettingsViewTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Fixture> f;

private slots:
    void initTestCase() { initUiTest(); }
    void init() { f = std::make_unique<Fixture>(); }
    void cleanup() { f.reset(); }

    void placeholdersBeforeData() {
        // Nothing answers: every section stays on its placeholder.
        f->daemon.setReply("GET", "/api/config", {500, "{}"});
        f->daemon.setReply("GET", "/api/databases", {500, "{}"});
        SettingsView v(f->client.get());
        QStringList order;
        for (auto* s : v.findChildren<SettingsSection*>())
            order << s->accessibleName();
        QCOMPARE(order, kTitles);
        QTRY_COMPARE(f->daemon.count("GET", "/api/databases"), 1);
        QVERIFY(isLoading(v, "General"));
        QVERIFY(isLoading(v, "Database Connection"));
        QVERIFY(showButton(v));
        QVERIFY(!section(v, "Ports")->hasBody());
        QVERIFY(!section(v, "Paths")->hasBody());
        QVERIFY(!section(v, "System")->hasBody());
        QCOMPARE(f->daemon.count("GET", "/api/config/credentials"), 0);
    }

    void loadsConfigThenDatabase() {
        f->daemon.setReply("GET", "/api/config",
                           {200, FakeDaemon::envelope(configJson()), std::chrono::milliseconds(100)});
        f->daemon.setData("GET", "/api/databases", databaseJson());
        SettingsView v(f->client.get());
        QTRY_COMPARE(shown(v, "User"), QStringLiteral("root"));
        // One after the other: the database is asked only once the configuration arrived.
        const auto& r = f->daemon.requests();
        QCOMPARE(r.size(), 2);
        QCOMPARE(r[0].target, QByteArray("/api/config"));
        QCOMPARE(r[1].target, QByteArray("/api/databases"));
        QVERIFY(r[1].atMs - r[0].atMs >= 90);

        QCOMPARE(shown(v, "Web Server"), QStringLiteral("Nginx"));
        QCOMPARE(shown(v, "Auto-start"), QStringLiteral("Disabled"));
        QCOMPARE(shown(v, "Apache HTTP"), QStringLiteral("8080"));
        QCOMPARE(shown(v, "Daemon API"), QStringLiteral("19400"));
        QCOMPARE(shown(v, "Web Root"), QStringLiteral("/opt/brevant/www"));
        QCOMPARE(shown(v, "Port"), QStringLiteral("3306"));
        QVERIFY(!isLoading(v, "General"));
        QVERIFY(section(v, "Ports")->hasBody());
        QVERIFY(value(v, "Version")->textInteractionFlags() & Qt::TextSelectableByMouse);
        // No redis row, no copy buttons outside the credentials.
        QVERIFY(!value(v, "Redis"));
        QVERIFY(v.findChildren<Button*>().size() == 1);
    }

    void systemFollowsPolling() {
        f->daemon.setData("GET", "/api/system/info", systemInfoJson({.memPercent = 63}));
        SettingsView v(f->client.get());
        QVERIFY(!section(v, "System")->hasBody());
        QCoro::waitFor(f->client->fetchSystemInfo());
        QCOMPARE(shown(v, "CPU"), QStringLiteral("Apple M2 (1 cores)"));
        QCOMPARE(shown(v, "Memory"), QStringLiteral("63% used of 16 GB"));
        QCOMPARE(shown(v, "Disk"), QStringLiteral("41% used of 465 GB"));
        QCOMPARE(shown(v, "Platform"), QStringLiteral("darwin 23.1.0"));
        // A new figure updates the same label; the rows are not rebuilt.
        ElidingValueLabel* memory = value(v, "Memory");
        f->daemon.setData("GET", "/api/system/info", systemInfoJson({.memPercent = 64}));
        QCoro::waitFor(f->client->fetchSystemInfo());
        QCOMPARE(value(v, "Memory"), memory);
        QCOMPARE(memory->text(), QStringLiteral("64% used of 16 GB"));
    }

    void credentialsOnlyAfterTheClick() {
        const QByteArray token(400, 'k');
        f->daemon.setReply("GET", "/api/config/credentials",
                           {200, FakeDaemon::envelope(credentialsJson("start" + token + "end")),
                            std::chrono::milliseconds(100)});
        SettingsView v(f->client.get());
        v.resize(600, 700);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        QTest::qWait(50);
        QCOMPARE(f->daemon.count("GET", "/api/config/credentials"), 0);
        QVERIFY(!v.showCredentials());

        showButton(v)->click();
        QVERIFY(v.showCredentials());
        QVERIFY(isLoading(v, "Credentials"));
        QVERIFY(!showButton(v));
        QTRY_VERIFY(value(v, "Auth Token"));
        QCOMPARE(f->daemon.count("GET", "/api/config/credentials"), 1);
        QCOMPARE(shown(v, "MariaDB Root"), QStringLiteral("s3cret"));

        // One line, middle elided, and the panel did not grow for it.
        ElidingValueLabel* tokenLabel = value(v, "Auth Token");
        QVERIFY(tokenLabel->isElided());
        QVERIFY(tokenLabel->text().startsWith(QStringLiteral("start")));
        QVERIFY(tokenLabel->text().endsWith(QStringLiteral("end")));
        QVERIFY(tokenLabel->text().contains(QChar(0x2026)));
        QVERIFY(v.minimumSizeHint().width() < 600);
        QVERIFY(tokenLabel->geometry().right() < v.width());

        QGuiApplication::clipboard()->setText(QStringLiteral("previous"));
        v.findChild<Button*>(QStringLiteral("copy:Auth Token"))->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromLatin1("start" + token + "end"));
        v.findChild<Button*>(QStringLiteral("copy:MariaDB Root"))->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("s3cret"));
    }

    void credentialsUnreachableStayLoading() {
        f->daemon.setData("GET", "/api/config", configJson());
        SettingsView v(f->client.get());
        f->daemon.stop();
        showButton(v)->click();
        QVERIFY(isLoading(v, "Credentials"));
        QTest::qWait(200);
        QVERIFY(isLoading(v, "Credentials"));
        QVERIFY(!value(v, "Auth Token"));
    }

    void earlierCredentialsShowAtOnceAfterTheClick() {
        f->daemon.setData("GET", "/api/config/credentials", credentialsJson("tok"));
        QCoro::waitFor(f->client->fetchCredentials());
        // A new panel starts hidden again, even though the client holds them.
        SettingsView v(f->client.get());
        QVERIFY(showButton(v));
        QVERIFY(!value(v, "Auth Token"));
        showButton(v)->click();
        QCOMPARE(shown(v, "Auth Token"), QStringLiteral("tok"));
        QTRY_COMPARE(f->daemon.count("GET", "/api/config/credentials"), 2);
    }
};

QTEST_MAIN(SettingsViewTest)
#include "SettingsViewTest.moc"
