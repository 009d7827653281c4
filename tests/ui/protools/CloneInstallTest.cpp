// The Git clone and CMS installer dialogs inside the tools panel, against the fixture: their
// enable rules, the bodies they send, the busy labels, the outcome in the panel's status line,
// and a request that ends after its dialog (or the whole panel) has gone.

#include "DaemonClient.h"
#include "UiTestSupport.h"
#include "kit/Button.h"
#include "kit/Spinner.h"
#include "kit/StatusLine.h"
#include "protools/CMSInstallSheet.h"
#include "protools/CMSTile.h"
#include "protools/GitCloneSheet.h"
#include "protools/ProToolsView.h"
#include "protools/ToolStatus.h"

#include <QCoroTask>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QTest>

using namespace brevant;
using namespace brevant::test;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(brevant::test::FakeDaemon::Reply)

namespace {
const QByteArray kClonePath = "/api/pro/git/clone";
const QByteArray kInstallPath = "/api/pro/cms/install";

QJsonObject bodyOf(const QByteArray& text) {
    return QJsonDocument::fromJson(text).object();
}
template <class T> T* child(QWidget* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}
} // namespace

class CloneInstallTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Fixture> f;
    std::unique_ptr<ProToolsView> panel;

    GitCloneSheet* openClone() {
        panel->presentGitClone();
        return qobject_cast<GitCloneSheet*>(panel->presentedSheet());
    }
    CMSInstallSheet* openInstall() {
        panel->presentCMSInstall();
        return qobject_cast<CMSInstallSheet*>(panel->presentedSheet());
    }
    // The panel's line as a user reads it: hidden, or its text and look.
    QString shownStatus() const {
        StatusLine* line = panel->statusLine();
        if (!line->isVisible())
            return QStringLiteral("(hidden)");
        return (line->isError() ? QStringLiteral("red: ") : QStringLiteral("green: ")) + line->message();
    }

private slots:
    void initTestCase() { initUiTest(); }
    void init() {
        f = std::make_unique<Fixture>();
        panel = std::make_unique<ProToolsView>(f->client.get());
        panel->show();
    }
    void cleanup() {
        panel.reset();
        f.reset();
    }

    void cloneEnableRuleAndNames() {
        GitCloneSheet* s = openClone();
        QVERIFY(s);
        auto* url = child<QLineEdit>(s, "repoURLField");
        auto* button = child<Button>(s, "cloneButton");
        QCOMPARE(url->accessibleName(), QStringLiteral("Repository URL"));
        QCOMPARE(child<QLineEdit>(s, "projectNameField")->accessibleName(),
                 QStringLiteral("Project Name (optional)"));
        QCOMPARE(button->accessibleName(), QStringLiteral("Clone Repository"));
        QVERIFY(!button->isEnabled());
        QVERIFY(QTest::qWaitForWindowActive(s));
        QTest::keyClicks(url, QStringLiteral("h"));
        QVERIFY(button->isEnabled());
        url->setText(QStringLiteral("   "));
        QVERIFY(button->isEnabled());
        url->clear();
        QVERIFY(!button->isEnabled());
        // Tab from the first field reaches the name, the clone button, then Cancel round again.
        const QList<QWidget*> chain = tabChain(url);
        QCOMPARE(chain.size(), 3); // the disabled button is skipped
        QString why;
        QVERIFY2(inReadingOrder({chain[0], chain[1]}, &why), qPrintable(why));
    }

    void cloneBody_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("no name: no key") << "https://git.example/u/r.git"
                                         << "" << QByteArray("{\"url\":\"https://git.example/u/r.git\"}");
        QTest::newRow("one space is a name") << "u"
                                             << " " << QByteArray(R"({"url":"u","name":" "})");
        QTest::newRow("nothing trimmed") << " u "
                                         << "My Shop " << QByteArray(R"({"url":" u ","name":"My Shop "})");
    }
    void cloneBody() {
        QFETCH(QString, url);
        QFETCH(QString, name);
        QFETCH(QByteArray, body);
        GitCloneSheet* s = openClone();
        child<QLineEdit>(s, "repoURLField")->setText(url);
        child<QLineEdit>(s, "projectNameField")->setText(name);
        child<Button>(s, "cloneButton")->click();
        QTRY_COMPARE(f->daemon.requestsTo(kClonePath).size(), 1);
        const QJsonObject sent = bodyOf(f->daemon.requestsTo(kClonePath).at(0).body);
        QCOMPARE(sent, bodyOf(body));
        QCOMPARE(sent.contains(QStringLiteral("name")), !name.isEmpty());
    }

    void cloneOutcome_data() {
        QTest::addColumn<FakeDaemon::Reply>("reply");
        QTest::addColumn<QString>("shown");
        const auto delayed = [](int status, const QByteArray& body) {
            return FakeDaemon::Reply{status, body, 150ms};
        };
        QTest::newRow("cloned") << delayed(200,
                                           FakeDaemon::envelope(
                                               R"({"projectName":"r","path":"/www/r","message":"Cloned r"})"))
                                << "green: Cloned r";
        QTest::newRow("no path: a failure")
            << delayed(200, FakeDaemon::envelope(R"({"projectName":"r","message":"Cloned r"})"))
            << "red: The reply could not be decoded: data.path is missing";
        QTest::newRow("envelope error")
            << delayed(200, R"({"success":false,"error":{"code":"E","message":"Repository not found"}})")
            << "red: Repository not found";
        QTest::newRow("status") << delayed(500, "{}")
                                << "red: The daemon sent a bad server response (HTTP status 500).";
    }
    void cloneOutcome() {
        QFETCH(FakeDaemon::Reply, reply);
        QFETCH(QString, shown);
        f->daemon.setReply("POST", kClonePath, reply);
        QPointer<GitCloneSheet> s = openClone();
        child<QLineEdit>(s, "repoURLField")->setText(QStringLiteral("https://git.example/u/r.git"));
        auto* button = child<Button>(s, "cloneButton");
        button->click();
        // Busy: the spinner and "Cloning...", disabled; the fields stay editable.
        QVERIFY(s->isCloning());
        QCOMPARE(button->text(), QStringLiteral("Cloning..."));
        QCOMPARE(button->accessibleName(), QStringLiteral("Cloning..."));
        QVERIFY(button->isBusy());
        QVERIFY(!button->isEnabled());
        QVERIFY(child<QLineEdit>(s, "repoURLField")->isEnabled());
        QCOMPARE(shownStatus(), QStringLiteral("(hidden)"));
        // Either way the dialog closes and the panel tells.
        QTRY_VERIFY(!panel->presentedSheet());
        QCOMPARE(shownStatus(), shown);
        QTRY_VERIFY(!s);
    }

    void installLabelsAndEnableRule() {
        CMSInstallSheet* s = openInstall();
        QVERIFY(s);
        auto* button = child<Button>(s, "installButton");
        auto* name = child<QLineEdit>(s, "projectNameField");
        QCOMPARE(name->accessibleName(), QStringLiteral("Project Name"));
        const QList<CMSTile*> tiles = s->findChildren<CMSTile*>();
        QCOMPARE(tiles.size(), 3);
        for (CMSTile* t : tiles)
            QVERIFY(!t->isChecked());
        QCOMPARE(button->text(), QStringLiteral("Install CMS"));
        name->setText(QStringLiteral("blog"));
        QVERIFY(!button->isEnabled());
        name->clear();

        // A tile without a name: still disabled. Capitalised from the id, not the label.
        QTest::mouseClick(child<CMSTile>(s, "tile-wordpress"), Qt::LeftButton);
        QCOMPARE(s->selectedCMS(), QStringLiteral("wordpress"));
        QCOMPARE(button->text(), QStringLiteral("Install Wordpress"));
        QCOMPARE(button->accessibleName(), button->text());
        QVERIFY(!button->isEnabled());
        name->setText(QStringLiteral(" "));
        QVERIFY(button->isEnabled());

        // Another tile from the keyboard; clicking the chosen one again keeps it chosen.
        auto* laravel = child<CMSTile>(s, "tile-laravel");
        laravel->setFocus(Qt::TabFocusReason);
        QTest::keyClick(laravel, Qt::Key_Space);
        QTest::mouseClick(laravel, Qt::LeftButton);
        QCOMPARE(s->selectedCMS(), QStringLiteral("laravel"));
        QVERIFY(laravel->isChecked());
        QVERIFY(!child<CMSTile>(s, "tile-wordpress")->isChecked());
        QCOMPARE(button->text(), QStringLiteral("Install Laravel"));
        QCOMPARE(laravel->accessibleName(), QStringLiteral("Laravel"));
    }

    void installBodyBusyAndOutcome_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("shown");
        QTest::newRow("installed")
            << QByteArray(
                   R"({"cms":"laravel","name":"blog","path":"/www/blog","message":"Laravel installed"})")
            << "green: Laravel installed";
        QTest::newRow("no cms: a failure")
            << QByteArray(R"({"name":"blog","path":"/www/blog","message":"ok"})")
            << "red: The reply could not be decoded: data.cms is missing";
    }
    void installBodyBusyAndOutcome() {
        QFETCH(QByteArray, data);
        QFETCH(QString, shown);
        f->daemon.setReply("POST", kInstallPath, {200, FakeDaemon::envelope(data), 150ms});
        CMSInstallSheet* s = openInstall();
        s->selectCMS(QStringLiteral("laravel"));
        child<QLineEdit>(s, "projectNameField")->setText(QStringLiteral("blog"));
        auto* button = child<Button>(s, "installButton");
        button->click();
        QCOMPARE(button->text(), QStringLiteral("Installing Laravel..."));
        QVERIFY(button->isBusy());
        QVERIFY(!button->isEnabled());
        // The tiles stay usable: the label follows, the spinner moves with the longer title.
        const int spinnerX = button->findChild<Spinner*>()->x();
        s->selectCMS(QStringLiteral("wordpress"));
        QCOMPARE(button->text(), QStringLiteral("Installing Wordpress..."));
        QVERIFY(button->findChild<Spinner*>()->x() < spinnerX);
        QTRY_VERIFY(!panel->presentedSheet());
        QCOMPARE(bodyOf(f->daemon.requestsTo(kInstallPath).at(0).body),
                 bodyOf(R"({"cms":"laravel","name":"blog"})"));
        QCOMPARE(shownStatus(), shown);
    }

    // Cancelled while the request runs: the panel still hears how it ended. A panel rebuilt
    // meanwhile drops the late answer.
    void lateOutcomes() {
        f->daemon.setReply(
            "POST", kClonePath,
            {200, FakeDaemon::envelope(R"({"projectName":"r","path":"/p","message":"Cloned r"})"), 200ms});
        GitCloneSheet* s = openClone();
        child<QLineEdit>(s, "repoURLField")->setText(QStringLiteral("u"));
        child<Button>(s, "cloneButton")->click();
        child<Button>(s, "cancelButton")->click();
        QVERIFY(!panel->presentedSheet());
        QCOMPARE(shownStatus(), QStringLiteral("(hidden)"));
        QTRY_COMPARE(shownStatus(), QStringLiteral("green: Cloned r"));

        f->daemon.setReply("POST", kInstallPath, {500, "{}", 200ms});
        CMSInstallSheet* install = openInstall();
        install->selectCMS(QStringLiteral("drupal"));
        child<QLineEdit>(install, "projectNameField")->setText(QStringLiteral("d"));
        child<Button>(install, "installButton")->click();
        QPointer<ToolStatus> status = panel->status();
        panel.reset();
        QVERIFY(!status);
        // A later request answered later still: by its end the install's answer has come, into
        // nothing.
        f->daemon.setReply("GET", "/api/pro/backups", {200, FakeDaemon::envelope(backupsJson(0)), 400ms});
        QVERIFY(QCoro::waitFor(f->client->fetchBackups()).ok());
        QCOMPARE(f->daemon.count("POST", kInstallPath), 1);
    }
};

QTEST_MAIN(CloneInstallTest)
#include "CloneInstallTest.moc"
