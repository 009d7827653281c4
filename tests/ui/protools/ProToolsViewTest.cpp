// The tools panel against the fixture: the cards and their order, the status line's two looks and
// its close button, the mail catcher's address, the terminal launcher, the dialogs each card
// opens, and a status line that does not outlive the panel.

#include "protools/ProToolsView.h"
#include "DaemonClient.h"
#include "TerminalScript.h"
#include "UiTestSupport.h"
#include "kit/Button.h"
#include "kit/Sheet.h"
#include "kit/StatusLine.h"
#include "kit/Theme.h"
#include "protools/ToolCard.h"
#include "protools/ToolStatus.h"
#include "shell/DashboardView.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace brevant;
using namespace brevant::test;

class ProToolsViewTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Fixture> f;

    std::unique_ptr<ProToolsView> shownView() {
        auto v = std::make_unique<ProToolsView>(f->client.get());
        v->resize(610, 520);
        v->show();
        if (!QTest::qWaitForWindowExposed(v.get()))
            return nullptr;
        return v;
    }
    static ToolCard* card(const ProToolsView& v, const char* name) {
        return v.findChild<ToolCard*>(QString::fromLatin1(name));
    }

private slots:
    void initTestCase() { initUiTest(); }
    void init() { f = std::make_unique<Fixture>(); }
    void cleanup() { f.reset(); }

    void cardsInGridOrder() {
        auto v = shownView();
        QVERIFY(v);
        struct Expected {
            const char* title;
            const char* icon;
            QColor tint;
            const char* description;
        };
        const QList<Expected> expected{
            {"Git Clone", "arrow.triangle.branch", Theme::orange(),
             "Clone a Git repository into your projects."},
            {"CMS Installer", "square.and.arrow.down.on.square", Theme::blue(),
             "One-click install WordPress, Laravel, or Drupal."},
            {"Email Testing", "envelope.badge", Theme::purple(),
             "Open Mailhog to capture and inspect emails."},
            {"DNS Editor", "globe", Theme::cyan(), "Manage local hosts file entries."},
            {"Backup & Restore", "externaldrive.badge.timemachine", Theme::green(),
             "Snapshot and restore your project files."},
            {"Terminal", "terminal", Theme::gray(), "Open Terminal with Brevant tools in PATH."},
        };
        QCOMPARE(v->cards().size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const ToolCard* c = v->cards()[i];
            QCOMPARE(c->text(), QString::fromUtf8(expected[i].title));
            QCOMPARE(c->accessibleName(), c->text());
            QCOMPARE(c->iconName(), QString::fromLatin1(expected[i].icon));
            QCOMPARE(c->tint(), expected[i].tint);
            QCOMPARE(c->description(), QString::fromLatin1(expected[i].description));
            QVERIFY(c->isEnabled());
            // The description is never cut at this width.
            QCOMPARE(c->descriptionLines().join(QLatin1Char(' ')), c->description());
        }
        // Two equal columns: the cards of a row side by side, as wide as each other.
        QCOMPARE(v->cards()[0]->width(), v->cards()[1]->width());
        QCOMPARE(v->cards()[0]->y(), v->cards()[1]->y());
        QVERIFY(v->cards()[2]->y() > v->cards()[0]->y());
        // Tab visits the cards in the same order.
        const QList<QWidget*> chain = tabChain(v->cards()[0]);
        QList<QWidget*> cards(v->cards().begin(), v->cards().end());
        QCOMPARE(chain, cards);
        QString why;
        QVERIFY2(inReadingOrder(chain, &why), qPrintable(why));
    }

    void descriptionKeepsToTwoLines() {
        ToolCard narrow(QStringLiteral("globe"), QStringLiteral("T"),
                        QStringLiteral("one two three four five six seven eight nine ten eleven twelve"),
                        Theme::blue());
        narrow.resize(120, narrow.heightForWidth(120));
        const QStringList lines = narrow.descriptionLines();
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[1].endsWith(QChar(0x2026)));
        // A wider card needs fewer lines, and is less tall.
        QVERIFY(narrow.heightForWidth(1000) < narrow.heightForWidth(120));
    }

    void statusLineLooksAndClose() {
        auto v = shownView();
        QVERIFY(v);
        StatusLine* line = v->statusLine();
        QVERIFY(!line->isVisible());
        v->status()->report(QStringLiteral("Cloned shop"), false);
        QVERIFY(line->isVisible());
        QCOMPARE(line->message(), QStringLiteral("Cloned shop"));
        QVERIFY(!line->isError());
        // The line comes between the header and the cards.
        QVERIFY(line->y() < v->cards()[0]->y());

        v->status()->report(QStringLiteral("Connection refused"), true);
        QCOMPARE(line->message(), QStringLiteral("Connection refused"));
        QVERIFY(line->isError());

        // Close hides the line and keeps the look; the next message sets both.
        QTest::mouseClick(line->closeButton(), Qt::LeftButton);
        QVERIFY(!line->isVisible());
        QVERIFY(!v->status()->statusMessage().has_value());
        QVERIFY(v->status()->isError());
        // Present but empty still shows the line.
        v->status()->report(QString(), false);
        QVERIFY(line->isVisible());
        QCOMPARE(line->message(), QString());
        QVERIFY(!line->isError());
    }

    void mailCatcherAddress_data() {
        QTest::addColumn<int>("port"); // 0: no configuration loaded
        QTest::addColumn<QList<QUrl>>("opened");
        QTest::newRow("before the configuration") << -1 << QList<QUrl>{QUrl("http://localhost:8025")};
        QTest::newRow("configured") << 8026 << QList<QUrl>{QUrl("http://localhost:8026")};
        QTest::newRow("zero: nothing") << 0 << QList<QUrl>{};
        QTest::newRow("negative: nothing") << -8025 << QList<QUrl>{};
        QTest::newRow("above 65535: nothing") << 65536 << QList<QUrl>{};
    }
    void mailCatcherAddress() {
        QFETCH(int, port);
        DesktopGuard guard;
        if (port != -1) {
            f->daemon.setData("GET", "/api/config", configJson({.mailhogWeb = port}));
            QSignalSpy loaded(f->client.get(), &DaemonClient::appConfigChanged);
            f->client->fetchConfig();
            QVERIFY(loaded.wait(5000));
            QVERIFY(f->client->appConfig().has_value());
        }
        auto v = shownView();
        QVERIFY(v);
        QTest::mouseClick(card(*v, "card-EmailTesting"), Qt::LeftButton);
        QTEST(guard.desktop().openedUrls, "opened");
        QVERIFY(!v->statusLine()->isVisible());
    }

    void terminalWritesItsScriptAndOpensIt() {
        DesktopGuard guard;
        QTemporaryDir dir;
        auto v = shownView();
        QVERIFY(v);
        const QString path = dir.filePath(QStringLiteral("brevant-terminal.sh"));
        v->setTerminalScriptPath(path);
        QTest::mouseClick(card(*v, "card-Terminal"), Qt::LeftButton);
        QCOMPARE(guard.desktop().terminalFiles, QStringList{path});
        QFile script(path);
        QVERIFY(script.open(QIODevice::ReadOnly));
        QCOMPARE(script.readAll(), terminalScript());
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0755));
        QVERIFY(!v->statusLine()->isVisible());

        // A folder that cannot hold the script: nothing is opened, nothing is said.
        v->setTerminalScriptPath(dir.filePath(QStringLiteral("missing/brevant-terminal.sh")));
        QTest::keyClick(card(*v, "card-Terminal"), Qt::Key_Space);
        QCOMPARE(guard.desktop().terminalFiles.size(), 1);
        QVERIFY(!v->statusLine()->isVisible());
    }

    void eachCardOpensAFreshDialog_data() {
        QTest::addColumn<QString>("card");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QString>("close");
        QTest::newRow("git") << "card-GitClone"
                             << "gitCloneSheet"
                             << "cancelButton";
        QTest::newRow("cms") << "card-CMSInstaller"
                             << "cmsInstallSheet"
                             << "cancelButton";
        QTest::newRow("dns") << "card-DNSEditor"
                             << "dnsEditorSheet"
                             << "doneButton";
        QTest::newRow("backups") << "card-BackupRestore"
                                 << "backupsSheet"
                                 << "doneButton";
    }
    void eachCardOpensAFreshDialog() {
        QFETCH(QString, card);
        QFETCH(QString, sheet);
        QFETCH(QString, close);
        auto v = shownView();
        QVERIFY(v);
        // From the keyboard: Return on the focused card.
        auto* c = v->findChild<ToolCard*>(card);
        c->setFocus(Qt::TabFocusReason);
        QTest::keyClick(c, Qt::Key_Return);
        QTRY_VERIFY(v->presentedSheet());
        Sheet* first = v->presentedSheet();
        QCOMPARE(first->objectName(), sheet);
        QVERIFY(first->isModal());
        // A second presentation while one is shown does nothing.
        c->click();
        QCOMPARE(v->presentedSheet(), first);
        for (QLineEdit* field : first->findChildren<QLineEdit*>())
            field->setText(field->text() + QStringLiteral("typed"));
        QPointer<Sheet> gone = first;
        first->findChild<Button*>(close)->click();
        QVERIFY(!v->presentedSheet());
        QTRY_VERIFY(!gone);

        // Escape closes it as well; the next one starts from its initial values.
        c->click();
        // A fresh one: the first is destroyed (its address may well be reused, so no comparison).
        Sheet* second = v->presentedSheet();
        QVERIFY(second && !gone);
        for (QLineEdit* field : second->findChildren<QLineEdit*>())
            QVERIFY(!field->text().endsWith(QStringLiteral("typed")));
        QTest::keyClick(second, Qt::Key_Escape);
        QVERIFY(!v->presentedSheet());
    }

    // Leaving the section and coming back builds a new panel: the line starts hidden.
    void statusLineDoesNotSurviveTheSection() {
        DashboardView dashboard(f->makeClient());
        dashboard.selectTab(SidebarTab::proTools);
        auto* panel = qobject_cast<ProToolsView*>(dashboard.sectionView());
        QVERIFY(panel);
        panel->status()->report(QStringLiteral("done"), false);
        QVERIFY(panel->statusLine()->isVisibleTo(panel));
        dashboard.selectTab(SidebarTab::services);
        dashboard.selectTab(SidebarTab::proTools);
        panel = qobject_cast<ProToolsView*>(dashboard.sectionView());
        QVERIFY(panel);
        QVERIFY(!panel->status()->statusMessage().has_value());
        QVERIFY(!panel->statusLine()->isVisibleTo(panel));
    }
};

QTEST_MAIN(ProToolsViewTest)
#include "ProToolsViewTest.moc"
