// The new-project form inside the Projects section: enable rules, the request it sends, the
// spinner, and what Cancel, success and failure do to the typed values.

#include "projects/NewProjectForm.h"
#include "UiTestSupport.h"
#include "kit/Button.h"
#include "kit/Spinner.h"
#include "kit/Theme.h"
#include "projects/ProjectListModel.h"
#include "projects/ProjectsView.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace brevant;
using namespace brevant::test;

namespace {
const QByteArray kCreated = projectJson("new", "shop", "nginx", "8.2");
} // namespace

class NewProjectFormTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Fixture> f;
    std::unique_ptr<ProjectsView> v;

    QLineEdit* name() { return v->findChild<QLineEdit*>(QStringLiteral("nameField")); }
    QLineEdit* domain() { return v->findChild<QLineEdit*>(QStringLiteral("domainField")); }
    QComboBox* webServer() { return v->findChild<QComboBox*>(QStringLiteral("webServerChoice")); }
    QComboBox* php() { return v->findChild<QComboBox*>(QStringLiteral("phpVersionChoice")); }
    Button* create() { return v->findChild<Button*>(QStringLiteral("createButton")); }
    Button* cancel() { return v->findChild<Button*>(QStringLiteral("cancelButton")); }
    Button* toggle() { return v->findChild<Button*>(QStringLiteral("newProjectButton")); }
    bool formShown() { return v->form()->isVisibleTo(v.get()); }
    bool spinning() {
        auto* spinner = create()->findChild<Spinner*>();
        return create()->isBusy() && spinner && spinner->isVisibleTo(v.get());
    }
    int posts() { return f->daemon.count("POST", "/api/vhosts"); }

    void fill(const QString& n, const QString& d) {
        name()->setText(n);
        domain()->setText(d);
    }
    // Fresh, or after Cancel or a successful create.
    void verifyPristine() {
        QCOMPARE(name()->text(), QString());
        QCOMPARE(domain()->text(), QString());
        QCOMPARE(webServer()->currentText(), QStringLiteral("Apache"));
        QCOMPARE(php()->currentText(), QStringLiteral("8.3"));
        QCOMPARE(v->form()->newWebServer(), QStringLiteral("apache"));
        QCOMPARE(v->form()->newPhpVersion(), QStringLiteral("8.3"));
    }

private slots:
    void initTestCase() { initUiTest(); }
    void init() {
        f = std::make_unique<Fixture>();
        f->daemon.setData("GET", "/api/vhosts", projectListJson(2));
        v = std::make_unique<ProjectsView>(f->client.get());
        v->resize(620, 480);
        v->show();
        QVERIFY(QTest::qWaitForWindowExposed(v.get()));
        QTRY_COMPARE(f->client->projects().size(), 2);
        toggle()->click();
    }
    void cleanup() {
        v.reset();
        f.reset();
    }

    void fieldsAndChoices() {
        verifyPristine();
        QCOMPARE(name()->placeholderText(), QStringLiteral("my-project"));
        QCOMPARE(domain()->placeholderText(), QStringLiteral("myproject.test"));
        QCOMPARE(webServer()->count(), 2);
        QCOMPARE(webServer()->itemText(1), QStringLiteral("Nginx"));
        QCOMPARE(webServer()->itemData(1).toString(), QStringLiteral("nginx"));
        QCOMPARE(php()->itemText(1), QStringLiteral("8.2"));
        QCOMPARE(php()->itemData(1).toString(), QStringLiteral("8.2"));
        QVERIFY(cancel()->isEnabled());
    }

    void createEnabledOnlyWithBothFields_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("domain");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("both empty") << ""
                                    << "" << false;
        QTest::newRow("name only") << "shop"
                                   << "" << false;
        QTest::newRow("domain only") << ""
                                     << "shop.test" << false;
        QTest::newRow("spaces count") << " "
                                      << " " << true;
        QTest::newRow("both") << "shop"
                              << "shop.test" << true;
    }
    void createEnabledOnlyWithBothFields() {
        QFETCH(QString, name);
        QFETCH(QString, domain);
        fill(name, domain);
        QFETCH(bool, enabled);
        QCOMPARE(create()->isEnabled(), enabled);
        // Return presses Create exactly when it could be clicked.
        QTest::keyClick(this->domain(), Qt::Key_Return);
        if (enabled) {
            QTRY_COMPARE(posts(), 1);
        } else {
            QTest::qWait(50);
            QCOMPARE(posts(), 0);
        }
    }

    void requestBodyAsChosen() {
        f->daemon.setData("POST", "/api/vhosts", kCreated);
        fill(QStringLiteral(" Shop "), QStringLiteral("Shop.TEST"));
        webServer()->setCurrentIndex(1);
        php()->setCurrentIndex(1);
        create()->click();
        QTRY_COMPARE(posts(), 1);
        const auto request = f->daemon.requestsTo("/api/vhosts").constLast();
        QCOMPARE(request.method, QByteArray("POST"));
        // Nothing trimmed or lower-cased; both flags always false; every member, in order.
        QCOMPARE(request.body,
                 QByteArray("{\"name\":\" Shop \",\"domain\":\"Shop.TEST\",\"webServer\":\"nginx\","
                            "\"phpVersion\":\"8.2\",\"sslEnabled\":false,\"createDatabase\":false}"));
    }

    void successClosesResetsAndAppends() {
        f->daemon.setReply("POST", "/api/vhosts",
                           {200, FakeDaemon::envelope(kCreated), std::chrono::milliseconds(200)});
        fill(QStringLiteral("shop"), QStringLiteral("shop.test"));
        webServer()->setCurrentIndex(1);
        create()->click();
        // Busy: spinner instead of the label, Create disabled, Cancel still there.
        QVERIFY(spinning());
        QCOMPARE(create()->text(), QString());
        QVERIFY(!create()->isEnabled());
        QVERIFY(cancel()->isEnabled());
        QTRY_VERIFY(!formShown());
        QVERIFY(!v->form()->isCreating());
        QVERIFY(!spinning());
        QCOMPARE(create()->text(), QStringLiteral("Create"));
        // Listed at the end without a reload.
        QCOMPARE(v->model()->rowCount(), 3);
        QCOMPARE(v->model()->index(2).data(ProjectListModel::IdRole).toString(), QStringLiteral("new"));
        QCOMPARE(v->findChild<QLabel*>(QStringLiteral("countLabel"))->text(),
                 QStringLiteral("3 virtual hosts"));
        QCOMPARE(f->daemon.count("GET", "/api/vhosts"), 1);
        toggle()->click();
        verifyPristine();
    }

    void failureKeepsEverything() {
        f->daemon.setReply("POST", "/api/vhosts",
                           {500, "{\"success\":false,\"error\":{\"message\":\"exists\"}}"});
        fill(QStringLiteral("shop"), QStringLiteral("shop.test"));
        webServer()->setCurrentIndex(1);
        php()->setCurrentIndex(1);
        create()->click();
        QTRY_VERIFY(!v->form()->isCreating());
        QVERIFY(formShown());
        QCOMPARE(name()->text(), QStringLiteral("shop"));
        QCOMPARE(domain()->text(), QStringLiteral("shop.test"));
        QCOMPARE(v->form()->newWebServer(), QStringLiteral("nginx"));
        QCOMPARE(v->form()->newPhpVersion(), QStringLiteral("8.2"));
        QVERIFY(create()->isEnabled());
        QCOMPARE(v->model()->rowCount(), 2);
        for (QLabel* l : v->findChildren<QLabel*>())
            QVERIFY(!l->text().contains(QStringLiteral("exists")));
    }

    void cancelHidesAndResetsHeaderToggleKeeps() {
        fill(QStringLiteral("shop"), QStringLiteral("shop.test"));
        webServer()->setCurrentIndex(1);
        toggle()->click();
        QVERIFY(!formShown());
        toggle()->click();
        QCOMPARE(name()->text(), QStringLiteral("shop"));
        QCOMPARE(v->form()->newWebServer(), QStringLiteral("nginx"));
        cancel()->click();
        QVERIFY(!formShown());
        toggle()->click();
        verifyPristine();
        // Escape in a field does what Cancel does.
        fill(QStringLiteral("blog"), QStringLiteral("blog.test"));
        QTest::keyClick(name(), Qt::Key_Escape);
        QVERIFY(!formShown());
        toggle()->click();
        verifyPristine();
        QCOMPARE(posts(), 0);
    }

    void cancelDuringCreate() {
        f->daemon.setReply("POST", "/api/vhosts",
                           {200, FakeDaemon::envelope(kCreated), std::chrono::milliseconds(300)});
        fill(QStringLiteral("shop"), QStringLiteral("shop.test"));
        create()->click();
        cancel()->click();
        QVERIFY(!formShown());
        // Reopened while the request runs: still busy, and what is typed now is discarded by
        // the success that arrives later.
        toggle()->click();
        verifyPristine();
        fill(QStringLiteral("other"), QStringLiteral("other.test"));
        QVERIFY(!create()->isEnabled());
        QVERIFY(spinning());
        QTRY_VERIFY(!v->form()->isCreating());
        QVERIFY(!formShown());
        toggle()->click();
        verifyPristine();
        QCOMPARE(posts(), 1);
        QCOMPARE(v->model()->rowCount(), 3);
    }

    void longValuesNeverWiden() {
        fill(QString(500, QLatin1Char('n')), QString(500, QLatin1Char('d')));
        QVERIFY(v->minimumSizeHint().width() < 620);
        QVERIFY(v->form()->width() <= v->width());
    }
};

QTEST_MAIN(NewProjectFormTest)
#include "NewProjectFormTest.moc"
