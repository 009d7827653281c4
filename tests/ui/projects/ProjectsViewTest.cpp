// The Projects section against the fixture: header count, empty state and list, the painted
// rows (icon colour, pointer handling of the delete button) and the delete path.

#include "projects/ProjectsView.h"
#include "UiTestSupport.h"
#include "kit/Button.h"
#include "kit/Theme.h"
#include "projects/ProjectListModel.h"
#include "projects/ProjectRowDelegate.h"

#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace brevant;
using namespace brevant::test;

namespace {
QString countText(const ProjectsView& v) {
    return v.findChild<QLabel*>(QStringLiteral("countLabel"))->text();
}
bool showsList(const ProjectsView& v) {
    return v.list()->isVisibleTo(&v);
}
bool showsEmptyState(const ProjectsView& v) {
    return v.findChild<QWidget*>(QStringLiteral("emptyState"))->isVisibleTo(&v);
}
QPoint deleteCentre(const ProjectsView& v, int row) {
    return ProjectRowDelegate::deleteHitRect(v.list()->visualRect(v.model()->index(row))).center();
}
void clickDelete(ProjectsView& v, int row) {
    QTest::mouseClick(v.list()->viewport(), Qt::LeftButton, {}, deleteCentre(v, row));
}
bool hasColourNear(const QImage& image, const QRect& area, const QColor& colour) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) < 8 && qAbs(c.green() - colour.green()) < 8 &&
                qAbs(c.blue() - colour.blue()) < 8)
                return true;
        }
    return false;
}
} // namespace

class ProjectsViewTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Fixture> f;

    std::unique_ptr<ProjectsView> shownView() {
        auto v = std::make_unique<ProjectsView>(f->client.get());
        v->resize(620, 480);
        v->show();
        if (!QTest::qWaitForWindowExposed(v.get()))
            return nullptr;
        return v;
    }

private slots:
    void initTestCase() { initUiTest(); }
    void init() { f = std::make_unique<Fixture>(); }
    void cleanup() { f.reset(); }

    void countAndBody_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << 0 << "0 virtual hosts";
        QTest::newRow("one") << 1 << "1 virtual host";
        QTest::newRow("twelve") << 12 << "12 virtual hosts";
    }
    void countAndBody() {
        QFETCH(int, count);
        f->daemon.setData("GET", "/api/vhosts", projectListJson(count));
        ProjectsView v(f->client.get());
        // Before the reply: nothing loaded, so the empty state.
        QCOMPARE(countText(v), QStringLiteral("0 virtual hosts"));
        QVERIFY(showsEmptyState(v));
        QTRY_COMPARE(f->client->projects().size(), count);
        QTEST(countText(v), "text");
        QCOMPARE(showsList(v), count > 0);
        QCOMPARE(showsEmptyState(v), count == 0);
        QCOMPARE(v.model()->rowCount(), count);
    }

    void loadsEachTimeItIsBuilt() {
        f->daemon.setData("GET", "/api/vhosts", projectListJson(2));
        { ProjectsView first(f->client.get()); }
        QTRY_COMPARE(f->client->projects().size(), 2);
        // A failed load keeps what the client has; the new panel shows it at once.
        f->daemon.setReply("GET", "/api/vhosts", {500, "{}"});
        ProjectsView second(f->client.get());
        QCOMPARE(countText(second), QStringLiteral("2 virtual hosts"));
        QTRY_COMPARE(f->daemon.count("GET", "/api/vhosts"), 2);
        QTest::qWait(50);
        QCOMPARE(countText(second), QStringLiteral("2 virtual hosts"));
        QVERIFY(showsList(second));
    }

    void deleteSuccessRemovesFailureKeeps() {
        f->daemon.setData("GET", "/api/vhosts", projectListJson(3));
        auto v = shownView();
        QVERIFY(v);
        QTRY_COMPARE(v->model()->rowCount(), 3);

        // A reply saying deleted=false is still a success.
        f->daemon.setData("DELETE", "/api/vhosts/p1", "{\"deleted\":false,\"id\":\"p1\"}");
        clickDelete(*v, 1);
        QTRY_COMPARE(v->model()->rowCount(), 2);
        QCOMPARE(f->daemon.requestsTo("/api/vhosts/p1").size(), 1);
        QVERIFY(f->daemon.requestsTo("/api/vhosts/p1").at(0).body.isEmpty());
        QCOMPARE(countText(*v), QStringLiteral("2 virtual hosts"));
        QCOMPARE(v->model()->index(1).data(ProjectListModel::IdRole).toString(), QStringLiteral("p2"));

        f->daemon.setReply("DELETE", "/api/vhosts/p2", {500, "{\"success\":false}"});
        clickDelete(*v, 1);
        QTRY_COMPARE(f->daemon.count("DELETE", "/api/vhosts/p2"), 1);
        QTest::qWait(50);
        QCOMPARE(v->model()->rowCount(), 2);
        QCOMPARE(countText(*v), QStringLiteral("2 virtual hosts"));

        // The last one gone: the empty state comes back.
        f->daemon.setData("DELETE", "/api/vhosts/p0", "{\"deleted\":true}");
        f->daemon.setData("DELETE", "/api/vhosts/p2", "{\"deleted\":true}");
        clickDelete(*v, 1);
        QTRY_COMPARE(v->model()->rowCount(), 1);
        clickDelete(*v, 0);
        QTRY_VERIFY(showsEmptyState(*v));
        QCOMPARE(countText(*v), QStringLiteral("0 virtual hosts"));
    }

    void deleteFromTheKeyboard() {
        f->daemon.setData("GET", "/api/vhosts", projectListJson(3));
        auto v = shownView();
        QVERIFY(v);
        QTRY_COMPARE(v->model()->rowCount(), 3);
        f->daemon.setData("DELETE", "/api/vhosts/p1", "{\"deleted\":true}");
        // Tab from the header's button reaches the list; the arrows pick a row, Space deletes it.
        QList<QWidget*> chain = tabChain(v->findChild<QWidget*>("newProjectButton"));
        QVERIFY(chain.contains(v->list()));
        v->list()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(v->list(), Qt::Key_Down);
        QCOMPARE(v->list()->accessibleDescription(), QStringLiteral("Delete project-1"));
        QTest::keyClick(v->list(), Qt::Key_Space);
        QTRY_COMPARE(v->model()->rowCount(), 2);
        QCOMPARE(f->daemon.count("DELETE", "/api/vhosts/p1"), 1);
    }

    void deleteButtonPointerHandling() {
        f->daemon.setData("GET", "/api/vhosts", projectListJson(2));
        auto v = shownView();
        QVERIFY(v);
        QTRY_COMPARE(v->model()->rowCount(), 2);
        QWidget* viewport = v->list()->viewport();

        QTest::mouseMove(viewport, deleteCentre(*v, 0));
        QTRY_COMPARE(viewport->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(v->delegate()->hoveredDelete().row(), 0);
        // Over the name: the ordinary cursor, nothing hovered.
        QTest::mouseMove(viewport, QPoint(80, deleteCentre(*v, 0).y()));
        QTRY_COMPARE(viewport->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(!v->delegate()->hoveredDelete().isValid());

        // Pressed on the button, released elsewhere: no click. A click on the row: nothing.
        QTest::mousePress(viewport, Qt::LeftButton, {}, deleteCentre(*v, 0));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(80, deleteCentre(*v, 0).y()));
        QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(80, deleteCentre(*v, 1).y()));
        QTest::qWait(50);
        QCOMPARE(f->daemon.count("DELETE", "/api/vhosts/p0"), 0);
        QCOMPARE(f->daemon.count("DELETE", "/api/vhosts/p1"), 0);

        // Two clicks, two requests: there is no busy state.
        f->daemon.setReply("DELETE", "/api/vhosts/p1", {500, "{}"});
        clickDelete(*v, 1);
        clickDelete(*v, 1);
        QTRY_COMPARE(f->daemon.count("DELETE", "/api/vhosts/p1"), 2);
    }

    void securityIconColour() {
        QList<QByteArray> list{projectJson("s", "secure", "apache", "8.3", true), projectJson("p", "plain")};
        f->daemon.setData("GET", "/api/vhosts", projectListJson(list));
        auto v = shownView();
        QVERIFY(v);
        QTRY_COMPARE(v->model()->rowCount(), 2);
        const QImage image = v->list()->viewport()->grab().toImage();
        auto iconArea = [&](int row) {
            const QRect r = v->list()->visualRect(v->model()->index(row));
            return QRect(16, r.top(), 24, r.height()).intersected(image.rect());
        };
        QVERIFY(hasColourNear(image, iconArea(0), Theme::green()));
        QVERIFY(!hasColourNear(image, iconArea(0), Theme::blue()));
        QVERIFY(hasColourNear(image, iconArea(1), Theme::blue()));
        QVERIFY(!hasColourNear(image, iconArea(1), Theme::green()));
    }

    void longTextsNeverWiden() {
        const QByteArray longName(600, 'n');
        f->daemon.setData("GET", "/api/vhosts",
                          projectListJson({projectJson("l", longName, QByteArray(300, 'w'))}));
        auto v = shownView();
        QVERIFY(v);
        QTRY_COMPARE(v->model()->rowCount(), 1);
        QVERIFY(v->minimumSizeHint().width() < 620);
        QVERIFY(v->list()->horizontalScrollBar()->maximum() == 0);
        // The delete button keeps its place at the right edge.
        QVERIFY(deleteCentre(*v, 0).x() > v->list()->viewport()->width() - 40);
    }

    void formToggles() {
        ProjectsView v(f->client.get());
        auto* header = v.findChild<Button*>(QStringLiteral("newProjectButton"));
        auto* empty = v.findChild<Button*>(QStringLiteral("emptyNewProjectButton"));
        QWidget* form = v.findChild<QWidget*>(QStringLiteral("newProjectForm"));
        QVERIFY(!form->isVisibleTo(&v));
        header->click();
        QVERIFY(form->isVisibleTo(&v));
        header->click();
        QVERIFY(!form->isVisibleTo(&v));
        // The empty state's button opens and never closes.
        empty->click();
        QVERIFY(form->isVisibleTo(&v));
        empty->click();
        QVERIFY(form->isVisibleTo(&v));
        QVERIFY(v.showingNewProject());
    }

    void deleteKeepsScrollPosition() {
        f->daemon.setData("GET", "/api/vhosts", projectListJson(200));
        auto v = shownView();
        QVERIFY(v);
        QTRY_COMPARE(v->model()->rowCount(), 200);
        QScrollBar* bar = v->list()->verticalScrollBar();
        bar->setValue(bar->maximum() / 2);
        const int before = bar->value();
        const QModelIndex top = v->list()->indexAt(QPoint(20, 10));
        f->daemon.setData("DELETE", "/api/vhosts/" + top.data(ProjectListModel::IdRole).toByteArray(),
                          "{\"deleted\":true}");
        clickDelete(*v, top.row());
        QTRY_COMPARE(v->model()->rowCount(), 199);
        QCOMPARE(bar->value(), before);
    }
};

QTEST_MAIN(ProjectsViewTest)
#include "ProjectsViewTest.moc"
