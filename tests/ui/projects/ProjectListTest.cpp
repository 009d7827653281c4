// The project list model: what each role says, the divider rule, and the model signals a change
// of the client's list turns into (which decide whether a long list keeps its scroll position).

#include "UiTestSupport.h"
#include "kit/Theme.h"
#include "projects/ProjectListModel.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCoroTask>
#include <QSignalSpy>
#include <QTest>

using namespace brevant;
using namespace brevant::test;

namespace {
Project project(const QString& id, const QString& webServer = QStringLiteral("apache"),
                const QString& php = QStringLiteral("8.3"), bool ssl = false) {
    Project p;
    p.id = id;
    p.name = QStringLiteral("name-") + id;
    p.domain = id + QStringLiteral(".test");
    p.webServer = webServer;
    p.phpVersion = php;
    p.sslEnabled = ssl;
    return p;
}

QList<Project> projects(std::initializer_list<const char*> ids) {
    QList<Project> out;
    for (const char* id : ids)
        out.push_back(project(QString::fromLatin1(id)));
    return out;
}

QList<bool> dividers(const ProjectListModel& m) {
    QList<bool> out;
    for (int row = 0; row < m.rowCount(); ++row)
        out.push_back(m.index(row).data(ProjectListModel::DividerRole).toBool());
    return out;
}
} // namespace

class ProjectListTest : public QObject {
    Q_OBJECT

private slots:
    void badgeAndIconTexts_data() {
        QTest::addColumn<QString>("webServer");
        QTest::addColumn<QString>("php");
        QTest::addColumn<bool>("ssl");
        QTest::addColumn<QString>("serverBadge");
        QTest::addColumn<QString>("phpBadge");
        QTest::addColumn<QString>("icon");
        QTest::newRow("apache") << "apache"
                                << "8.3" << false << "Apache"
                                << "PHP 8.3"
                                << "globe";
        QTest::newRow("upper case") << "NGINX"
                                    << "8.2" << true << "Nginx"
                                    << "PHP 8.2"
                                    << "lock.shield";
        QTest::newRow("unknown server") << "caddy"
                                        << "7.4.33" << false << "Caddy"
                                        << "PHP 7.4.33"
                                        << "globe";
        QTest::newRow("empty php") << "nginx"
                                   << "" << false << "Nginx"
                                   << "PHP "
                                   << "globe";
        QTest::newRow("php as stored") << "apache"
                                       << " 8.3 " << true << "Apache"
                                       << "PHP  8.3 "
                                       << "lock.shield";
    }
    void badgeAndIconTexts() {
        QFETCH(QString, webServer);
        QFETCH(QString, php);
        QFETCH(bool, ssl);
        ProjectListModel model(nullptr);
        model.sync({project(QStringLiteral("a"), webServer, php, ssl)});
        const QModelIndex i = model.index(0);
        QTEST(i.data(ProjectListModel::WebServerBadgeRole).toString(), "serverBadge");
        QTEST(i.data(ProjectListModel::PhpBadgeRole).toString(), "phpBadge");
        QTEST(i.data(ProjectListModel::SecurityIconRole).toString(), "icon");
        QCOMPARE(i.data(ProjectListModel::SslEnabledRole).toBool(), ssl);
    }

    void dividerUnderEveryRowButTheLast() {
        ProjectListModel model(nullptr);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.sync(projects({"a", "b", "c"}));
        QCOMPARE(dividers(model), (QList<bool>{true, true, false}));

        // Appending moves the rule: the old last row gains its divider, and is told so.
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.sync(projects({"a", "b", "c", "d"}));
        QCOMPARE(dividers(model), (QList<bool>{true, true, true, false}));
        QVERIFY(std::any_of(changed.cbegin(), changed.cend(), [](const QList<QVariant>& args) {
            return args.at(0).toModelIndex().row() == 2;
        }));

        // Removing the last row takes the divider from the new last one.
        model.sync(projects({"a", "b", "c"}));
        QCOMPARE(dividers(model), (QList<bool>{true, true, false}));

        // Every row sharing the last id goes without, wherever it stands.
        model.sync(projects({"a", "x", "b", "x"}));
        QCOMPARE(dividers(model), (QList<bool>{true, false, true, false}));

        model.sync({});
        QCOMPARE(model.rowCount(), 0);
    }

    void changesBecomeTheSmallestSignal() {
        ProjectListModel model(nullptr);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.sync(projects({"a", "b", "c", "d"}));
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

        model.sync(projects({"a", "b", "c", "d", "e"}));
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted.at(0).at(1).toInt(), 4);
        QCOMPARE(inserted.at(0).at(2).toInt(), 4);

        model.sync(projects({"a", "c", "d", "e"}));
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed.at(0).at(1).toInt(), 1);
        QCOMPARE(removed.at(0).at(2).toInt(), 1);

        // Same ids, one project changed in place.
        QList<Project> edited = projects({"a", "c", "d", "e"});
        edited[2].phpVersion = QStringLiteral("8.2");
        changed.clear();
        model.sync(edited);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex().row(), 2);
        QCOMPARE(model.index(2).data(ProjectListModel::PhpBadgeRole).toString(), QStringLiteral("PHP 8.2"));

        // An unchanged list says nothing at all.
        changed.clear();
        model.sync(edited);
        QCOMPARE(changed.size(), 0);
        QCOMPARE(inserted.size() + removed.size() + reset.size(), 2);

        // Anything else is a reset, and the model then reads the new list.
        model.sync(projects({"z", "y"}));
        QCOMPARE(reset.size(), 1);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.index(0).data(ProjectListModel::IdRole).toString(), QStringLiteral("z"));
    }

    void followsTheClient() {
        Fixture f;
        f.daemon.setData("GET", "/api/vhosts", projectListJson(3));
        ProjectListModel model(f.client.get());
        QCOMPARE(model.rowCount(), 0);
        QCoro::waitFor(f.client->fetchProjects());
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.index(2).data(Qt::DisplayRole).toString(), QStringLiteral("project-2"));
        QCOMPARE(model.index(2).data(ProjectListModel::DomainRole).toString(),
                 QStringLiteral("project-2.test"));

        f.daemon.setData("DELETE", "/api/vhosts/p1", "{\"deleted\":false}");
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QVERIFY(QCoro::waitFor(f.client->deleteProject(QStringLiteral("p1"))));
        QCOMPARE(removed.size(), 1);
        QCOMPARE(model.rowCount(), 2);
        // A model built later starts from what the client already holds.
        ProjectListModel late(f.client.get());
        QCOMPARE(late.rowCount(), 2);
    }
};

QTEST_MAIN(ProjectListTest)
#include "ProjectListTest.moc"
