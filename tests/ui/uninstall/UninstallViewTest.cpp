// The uninstall window's content over a recording desktop and the fixture's daemon: what it
// shows, the running state, success and failure, a second run, and that everything fits the
// window's fixed size. Closing it while the procedure runs is tested with the window, in tests/app.

#include "uninstall/UninstallView.h"
#include "RecordingDesktop.h"
#include "FastUninstall.h"
#include "UiTestSupport.h"
#include "kit/Button.h"
#include "kit/IconView.h"
#include "kit/Spinner.h"
#include "kit/Theme.h"

#include <QLabel>
#include <QTest>

using namespace brevant;
using namespace brevant::test;

namespace {
const QString kSuccess = QStringLiteral(u"\u2705 Kelvask Brevant has been completely uninstalled.");
const QString kFailure =
    QStringLiteral(u"\u26A0\uFE0F Some files could not be removed. Try manually: sudo rm -rf /opt/brevant");
} // namespace

class UninstallViewTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Fixture> f;
    std::shared_ptr<RecordingDesktop> desktop;
    std::unique_ptr<UninstallView> v;

    Button* uninstall() { return v->findChild<Button*>(QStringLiteral("uninstallButton")); }
    Button* cancel() { return v->findChild<Button*>(QStringLiteral("cancelButton")); }
    QLabel* result() { return v->findChild<QLabel*>(QStringLiteral("uninstallResult")); }
    QLabel* label(const char* name) { return v->findChild<QLabel*>(QLatin1StringView(name)); }
    bool resultShown() { return result()->isVisibleTo(v.get()); }
    // The administrator script is the last program a run starts.
    int adminRuns() {
        return int(std::count_if(desktop->steps.cbegin(), desktop->steps.cend(), [](const QStringList& s) {
            return s.first() == QStringLiteral("run quietly") && s.value(1) != QStringLiteral("systemctl") &&
                   s.value(1) != QStringLiteral("/bin/launchctl");
        }));
    }

    void verifyRunning() {
        QVERIFY(v->isUninstalling());
        QVERIFY(!v->result());
        QVERIFY(!resultShown());
        QVERIFY(!uninstall()->isEnabled());
        QVERIFY(uninstall()->isBusy());
        QVERIFY(uninstall()->findChild<Spinner*>()->isVisibleTo(v.get()));
        QCOMPARE(uninstall()->text(), QStringLiteral(u"Uninstalling\u2026"));
        QCOMPARE(uninstall()->accessibleName(), uninstall()->text());
        QVERIFY(cancel()->isEnabled());
    }
    void verifyIdleButton() {
        QVERIFY(!v->isUninstalling());
        QVERIFY(uninstall()->isEnabled());
        QVERIFY(!uninstall()->isBusy());
        QCOMPARE(uninstall()->text(), QStringLiteral("Uninstall Everything"));
        QCOMPARE(uninstall()->accessibleName(), uninstall()->text());
    }
    void verifyResult(const QString& text, const QColor& color) {
        QCOMPARE(v->result(), std::optional<QString>(text));
        QVERIFY(resultShown());
        QCOMPARE(result()->text(), text);
        QCOMPARE(result()->accessibleName(), text);
        QCOMPARE(result()->palette().color(QPalette::WindowText), color);
    }

private slots:
    void initTestCase() { initUiTest(); }
    void init() {
        f = std::make_unique<Fixture>();
        desktop = std::make_shared<RecordingDesktop>();
        setDesktopServices(desktop);
        v = std::make_unique<UninstallView>(uninstallTestProfile(), fastUninstall(*f));
        v->setFixedSize(420, 280);
        v->show();
        QVERIFY(QTest::qWaitForWindowExposed(v.get()));
    }
    void cleanup() {
        v.reset();
        setDesktopServices(nullptr);
        desktop.reset();
        f.reset();
    }

    void idle() {
        auto* icon = v->findChild<IconView*>(QStringLiteral("uninstallIcon"));
        QCOMPARE(icon->iconName(), QStringLiteral("trash.circle"));
        QCOMPARE(icon->color(), Theme::red());
        QCOMPARE(icon->sizeHint(), QSize(48, 48));
        QCOMPARE(label("uninstallTitle")->text(), QStringLiteral("Uninstall Kelvask Brevant?"));
        QCOMPARE(label("uninstallTitle")->font().weight(), QFont::Bold);
        QCOMPARE(label("uninstallWarning")->text(),
                 QStringLiteral("This will remove the app, all services, databases, configuration files, and "
                                "project data. This action cannot be undone."));
        QVERIFY(!v->result());
        QVERIFY(!resultShown());
        verifyIdleButton();
        QCOMPARE(cancel()->text(), QStringLiteral("Cancel"));
        QCOMPARE(uninstall()->tint(), Theme::red());
        QCOMPARE(uninstall()->style(), Button::Style::Prominent);

        // Tab goes Cancel, then Uninstall Everything, and round again.
        const QList<QWidget*> chain = tabChain(cancel());
        QCOMPARE(chain, (QList<QWidget*>{cancel(), uninstall()}));
        QString why;
        QVERIFY2(inReadingOrder(chain, &why), qPrintable(why));
        QCOMPARE(cancel()->accessibleName(), QStringLiteral("Cancel"));
    }

    // Every step runs once; the outcome arrives on the view, and the quit follows.
    void success() {
        QTest::mouseClick(uninstall(), Qt::LeftButton);
        verifyRunning();
        // A click on the disabled button, or a second call, starts nothing.
        QTest::mouseClick(uninstall(), Qt::LeftButton);
        v->performUninstall();
        QTRY_VERIFY(!v->isUninstalling());
        verifyIdleButton();
        verifyResult(kSuccess, Theme::green());
        QCOMPARE(adminRuns(), 1);
        QTRY_COMPARE(desktop->count(QStringLiteral("quit")), 1);
    }

    // A failed run leaves the window open and ready; the next run hides the old message until
    // its own outcome arrives, and repeats every step.
    void failureThenSecondRun() {
        desktop->existing.insert(kUninstallTestDir);
        uninstall()->click();
        QTRY_VERIFY(!v->isUninstalling());
        verifyIdleButton();
        verifyResult(kFailure, Theme::red());

        desktop->existing.clear();
        const int stepsBefore = int(desktop->steps.size());
        uninstall()->click();
        verifyRunning();
        QTRY_VERIFY(!v->isUninstalling());
        verifyResult(kSuccess, Theme::green());
        QCOMPARE(adminRuns(), 2);
        QCOMPARE(desktop->steps.mid(stepsBefore, 4), desktop->steps.mid(0, 4));
        QTRY_COMPARE(desktop->count(QStringLiteral("quit")), 1);
    }

    // The window has a fixed size: with the longer message shown, nothing is cut or pushed out.
    void fitsTheWindow() {
        desktop->existing.insert(kUninstallTestDir);
        uninstall()->click();
        QTRY_VERIFY(resultShown());
        QCoreApplication::sendPostedEvents(); // the layout settles
        for (QWidget* w : v->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!w->isVisibleTo(v.get()))
                continue;
            QVERIFY2(v->rect().contains(w->geometry()), qPrintable(w->objectName()));
            QVERIFY2(w->height() >= w->minimumSizeHint().height(), qPrintable(w->objectName()));
            if (auto* l = qobject_cast<QLabel*>(w))
                QVERIFY2(l->height() >= l->heightForWidth(l->width()), qPrintable(l->objectName()));
        }
        QVERIFY(result()->geometry().bottom() < cancel()->geometry().top());
        QVERIFY(label("uninstallWarning")->geometry().bottom() < result()->geometry().top());
    }
};

QTEST_MAIN(UninstallViewTest)
#include "UninstallViewTest.moc"
