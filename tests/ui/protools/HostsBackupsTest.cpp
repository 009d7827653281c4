// The hosts editor and the backup dialog inside the tools panel, against the fixture: loading
// (spinner, list, empty and failing loads), additions, create and restore with their outcomes in
// the panel's status line, the painted lists from the pointer and the keyboard, and their models.

#include "DaemonClient.h"
#include "UiTestSupport.h"
#include "kit/Button.h"
#include "kit/PaintedList.h"
#include "kit/Spinner.h"
#include "kit/StatusLine.h"
#include "protools/BackupListModel.h"
#include "protools/BackupRowDelegate.h"
#include "protools/BackupsSheet.h"
#include "protools/DNSEditorSheet.h"
#include "protools/HostListModel.h"
#include "protools/ProToolsView.h"
#include "protools/ToolStatus.h"

#include <QAbstractItemModelTester>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

using namespace brevant;
using namespace brevant::test;
using namespace std::chrono_literals;

namespace {
const QByteArray kDns = "/api/pro/dns";
const QByteArray kBackups = "/api/pro/backups";
const QByteArray kCreate = "/api/pro/backup/create";
const QByteArray kRestore = "/api/pro/backup/restore";

QJsonObject bodyOf(const QByteArray& text) {
    return QJsonDocument::fromJson(text).object();
}
template <class T> T* child(QWidget* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}
QByteArray backup(const char* name, qint64 size, const char* created) {
    return QByteArray("{\"name\":\"") + name + "\",\"size\":" + QByteArray::number(size) + ",\"created\":\"" +
           created + "\"}";
}
} // namespace

class HostsBackupsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Fixture> f;
    std::unique_ptr<ProToolsView> panel;
    std::unique_ptr<QAbstractItemModelTester> tester;

    template <class S> S* open(void (ProToolsView::*present)()) {
        (panel.get()->*present)();
        auto* s = qobject_cast<S*>(panel->presentedSheet());
        if (s)
            tester = std::make_unique<QAbstractItemModelTester>(
                s->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        return s;
    }
    DNSEditorSheet* openHosts() { return open<DNSEditorSheet>(&ProToolsView::presentDNSEditor); }
    BackupsSheet* openBackups() { return open<BackupsSheet>(&ProToolsView::presentBackups); }
    QString shownStatus() const {
        StatusLine* line = panel->statusLine();
        if (!line->isVisible())
            return QStringLiteral("(hidden)");
        return (line->isError() ? QStringLiteral("red: ") : QStringLiteral("green: ")) + line->message();
    }
    static bool spinning(QWidget* s) { return child<Spinner>(s, "loadingSpinner")->isVisible(); }

private slots:
    void initTestCase() { initUiTest(); }
    void init() {
        f = std::make_unique<Fixture>();
        panel = std::make_unique<ProToolsView>(f->client.get());
        panel->show();
    }
    void cleanup() {
        tester.reset();
        panel.reset();
        f.reset();
    }

    void hostsLoad() {
        f->daemon.setReply("GET", kDns, {200, FakeDaemon::envelope(hostsJson(3)), 100ms});
        DNSEditorSheet* s = openHosts();
        QVERIFY(s);
        QVERIFY(s->isLoading());
        QVERIFY(spinning(s));
        QVERIFY(!s->list()->isVisible());
        QTRY_VERIFY(!s->isLoading());
        QVERIFY(!spinning(s));
        QVERIFY(s->list()->isVisible());
        QCOMPARE(s->model()->rowCount(), 3);
        const QModelIndex second = s->model()->index(1);
        QCOMPARE(second.data(Qt::DisplayRole).toString(), QStringLiteral("site-1.test"));
        QCOMPARE(second.data(HostListModel::IpRole).toString(), QStringLiteral("127.0.0.1"));
        QCOMPARE(f->daemon.count("GET", kDns), 1);
        s->dismiss();

        // The daemon gone: an empty list, no text in its place.
        f->daemon.stop();
        s = openHosts();
        QTRY_VERIFY(!s->isLoading());
        QCOMPARE(s->model()->rowCount(), 0);
        QVERIFY(s->list()->isVisible());
        QVERIFY(s->findChildren<QLabel*>().size() == 1); // the title alone
        QCOMPARE(shownStatus(), QStringLiteral("(hidden)"));
    }

    void hostsAdd() {
        f->daemon.setData("GET", kDns, hostsJson(1));
        f->daemon.setData("POST", kDns, R"({"message":"added"})");
        DNSEditorSheet* s = openHosts();
        QTRY_VERIFY(!s->isLoading());
        auto* ip = child<QLineEdit>(s, "ipField");
        auto* host = child<QLineEdit>(s, "hostnameField");
        auto* add = child<Button>(s, "addButton");
        QCOMPARE(ip->accessibleName(), QStringLiteral("IP Address"));
        QCOMPARE(host->accessibleName(), QStringLiteral("Hostname"));
        QCOMPARE(ip->text(), QStringLiteral("127.0.0.1"));
        QVERIFY(!add->isEnabled());
        QTest::keyClicks(host, QStringLiteral("a.test"));
        QVERIFY(add->isEnabled());
        // Tab: IP, host name, Add, on the same row left to right.
        const QList<QWidget*> chain = tabChain(ip).mid(0, 3);
        QCOMPARE(chain, (QList<QWidget*>{ip, host, add}));
        QString why;
        QVERIFY2(inReadingOrder(chain, &why), qPrintable(why));

        // An empty IP is sent all the same; success clears the host name alone and reloads. From
        // the keyboard, the field takes the focus back for the next name.
        ip->clear();
        f->daemon.setReply("GET", kDns, {200, FakeDaemon::envelope(hostsJson(2)), 100ms});
        QVERIFY(QTest::qWaitForWindowActive(s));
        add->setFocus(Qt::TabFocusReason);
        QTest::keyClick(add, Qt::Key_Space);
        QTRY_VERIFY(host->text().isEmpty());
        QVERIFY(host->hasFocus());
        QCOMPARE(f->daemon.requestsTo(kDns).at(1).method, QByteArray("POST"));
        QCOMPARE(bodyOf(f->daemon.requestsTo(kDns).at(1).body), bodyOf(R"({"ip":"","hostname":"a.test"})"));
        QCOMPARE(ip->text(), QString());
        QVERIFY(s->isLoading());
        QTRY_COMPARE(s->model()->rowCount(), 2);
        QCOMPARE(f->daemon.count("GET", kDns), 2);
        QCOMPARE(shownStatus(), QStringLiteral("(hidden)"));
    }

    void hostsAddFailure_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("no message") << 200 << FakeDaemon::envelope("{}");
        QTest::newRow("status") << 500 << QByteArray("{}");
        QTest::newRow("envelope") << 200
                                  << QByteArray(R"({"success":false,"error":{"code":"E","message":"no"}})");
    }
    void hostsAddFailure() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        f->daemon.setData("GET", kDns, hostsJson(1));
        f->daemon.setReply("POST", kDns, {status, body});
        DNSEditorSheet* s = openHosts();
        QTRY_VERIFY(!s->isLoading());
        auto* host = child<QLineEdit>(s, "hostnameField");
        host->setText(QStringLiteral("b.test"));
        // No busy state: two clicks, two requests.
        child<Button>(s, "addButton")->click();
        child<Button>(s, "addButton")->click();
        QTRY_COMPARE(f->daemon.count("POST", kDns), 2);
        QVERIFY(QCoro::waitFor(f->client->fetchDNS()).ok()); // both answers are in by now
        QCOMPARE(host->text(), QStringLiteral("b.test"));
        QCOMPARE(f->daemon.count("GET", kDns), 2); // the panel's own load and the one above
        QCOMPARE(s->model()->rowCount(), 1);
        QCOMPARE(shownStatus(), QStringLiteral("(hidden)"));
    }

    void longListsScrollInside() {
        f->daemon.setData("GET", kDns, hostsJson(100));
        DNSEditorSheet* hosts = openHosts();
        QTRY_COMPARE(hosts->model()->rowCount(), 100);
        QCOMPARE(hosts->list()->height(), 250);
        QVERIFY(hosts->list()->verticalScrollBar()->maximum() > 0);
        hosts->dismiss();
        f->daemon.setData("GET", kBackups, backupsJson(100));
        BackupsSheet* backups = openBackups();
        QTRY_COMPARE(backups->model()->rowCount(), 100);
        QCOMPARE(backups->list()->height(), 250);
        // The dialog, smaller while it loaded, has grown to hold the list and its padding.
        QTRY_COMPARE(backups->height() - backups->list()->geometry().bottom() - 1, 20);
        QVERIFY(backups->width() >= 460);
        QVERIFY(backups->list()->verticalScrollBar()->maximum() > 0);
    }

    void backupsLoad() {
        const QList<QByteArray> list{backup("a.tar.gz", 1536, "2024-03-05T10:20:30Z"),
                                     backup("b.zip", 0, "today")};
        f->daemon.setReply("GET", kBackups,
                           {200, FakeDaemon::envelope("{\"backups\":[" + list.join(',') + "]}"), 100ms});
        BackupsSheet* s = openBackups();
        QVERIFY(spinning(s));
        QVERIFY(!child<QLabel>(s, "emptyText")->isVisible());
        QTRY_VERIFY(!s->isLoading());
        QVERIFY(s->list()->isVisible());
        QCOMPARE(s->model()->index(0).data(BackupListModel::DetailsRole).toString(),
                 QStringLiteral("1 KB \u2022 2024-03-05"));
        QCOMPARE(s->model()->index(1).data(BackupListModel::DetailsRole).toString(),
                 QStringLiteral("0 B \u2022 today"));
        s->dismiss();

        // An empty store and a failed load read the same.
        for (bool stopped : {false, true}) {
            f->daemon.setData("GET", kBackups, backupsJson(0));
            if (stopped)
                f->daemon.stop();
            s = openBackups();
            QTRY_VERIFY(!s->isLoading());
            QVERIFY(child<QLabel>(s, "emptyText")->isVisible());
            QCOMPARE(child<QLabel>(s, "emptyText")->text(), QStringLiteral("No backups yet"));
            QVERIFY(!s->list()->isVisible());
            s->dismiss();
        }
    }

    void createBackup() {
        f->daemon.setData("GET", kBackups, backupsJson(1));
        f->daemon.setReply("POST", kCreate,
                           {200, FakeDaemon::envelope(R"({"message":"Backup created"})"), 100ms});
        BackupsSheet* s = openBackups();
        QTRY_VERIFY(!s->isLoading());
        auto* create = child<Button>(s, "createBackupButton");
        QCOMPARE(create->accessibleName(), QStringLiteral("Create Backup"));
        f->daemon.setReply("GET", kBackups, {200, FakeDaemon::envelope(backupsJson(2)), 150ms});
        QVERIFY(QTest::qWaitForWindowActive(s));
        create->setFocus(Qt::TabFocusReason);
        QTest::keyClick(create, Qt::Key_Space);
        QCOMPARE(create->text(), QStringLiteral("Creating..."));
        QVERIFY(create->isBusy());
        QVERIFY(!create->isEnabled());
        // The message as soon as the create ends; the button only once the reload has.
        QTRY_COMPARE(shownStatus(), QStringLiteral("green: Backup created"));
        QVERIFY(s->isCreating());
        QVERIFY(s->isLoading());
        QTRY_VERIFY(!s->isCreating());
        QCOMPARE(s->model()->rowCount(), 2);
        QVERIFY(create->isEnabled());
        QCOMPARE(create->text(), QStringLiteral("Create Backup"));
        // Busy, the button gave the focus away; done, it has it back, and Space is not "Done".
        QVERIFY(create->hasFocus());
        QCOMPARE(bodyOf(f->daemon.requestsTo(kCreate).at(0).body), QJsonObject());

        // Failing while the dialog stays open; no reload. Seen in the panel after Done.
        f->daemon.setReply("POST", kCreate, {500, "{}"});
        create->click();
        QTRY_VERIFY(create->isEnabled());
        QCOMPARE(shownStatus(),
                 QStringLiteral("red: The daemon sent a bad server response (HTTP status 500)."));
        QCOMPARE(f->daemon.count("GET", kBackups), 2);
        QVERIFY(panel->presentedSheet());
        child<Button>(s, "doneButton")->click();
        QCOMPARE(shownStatus(),
                 QStringLiteral("red: The daemon sent a bad server response (HTTP status 500)."));
    }

    void restoreFromPointerAndKeyboard() {
        f->daemon.setData("GET", kBackups, backupsJson(3));
        f->daemon.setReply("POST", kRestore, {500, "{}"});
        BackupsSheet* s = openBackups();
        QTRY_VERIFY(!s->isLoading());
        // A failure keeps the dialog open and the list as it was.
        const QRect row1 = s->list()->visualRect(s->model()->index(1));
        QTest::mouseClick(s->list()->viewport(), Qt::LeftButton, {},
                          s->delegate()->restoreRect(row1).center());
        QTRY_COMPARE(shownStatus(),
                     QStringLiteral("red: The daemon sent a bad server response (HTTP status 500)."));
        QCOMPARE(bodyOf(f->daemon.requestsTo(kRestore).at(0).body),
                 bodyOf(R"({"filename":"backup-1.tar.gz"})"));
        QVERIFY(panel->presentedSheet());
        QCOMPARE(s->model()->rowCount(), 3);

        // From the keyboard, no confirmation; success closes the dialog with a green message.
        f->daemon.setData("POST", kRestore, R"({"message":"Restored backup-2.tar.gz"})");
        s->list()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(s->list(), Qt::Key_Down);
        QTest::keyClick(s->list(), Qt::Key_Down);
        QCOMPARE(s->list()->accessibleDescription(), QStringLiteral("Restore backup-2.tar.gz"));
        QTest::keyClick(s->list(), Qt::Key_Return);
        QTRY_VERIFY(!panel->presentedSheet());
        QCOMPARE(shownStatus(), QStringLiteral("green: Restored backup-2.tar.gz"));
        QCOMPARE(bodyOf(f->daemon.requestsTo(kRestore).at(1).body),
                 bodyOf(R"({"filename":"backup-2.tar.gz"})"));
    }
};

QTEST_MAIN(HostsBackupsTest)
#include "HostsBackupsTest.moc"
