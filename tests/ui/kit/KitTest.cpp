// The kit: keyboard use and focus rings of its controls, the sheet base, the status line, the
// painted list's pointer and keyboard handling, floating scroll bars, sharp icons and the ring's
// cached drawing.

#include "UiTestSupport.h"
#include "kit/Button.h"
#include "kit/Icons.h"
#include "kit/PaintedList.h"
#include "kit/RingGauge.h"
#include "kit/Sheet.h"
#include "kit/StatusLine.h"
#include "kit/Theme.h"
#include "kit/ToggleSwitch.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <QVBoxLayout>

using namespace brevant;
using namespace brevant::test;

namespace {
// Pixels close to the accent colour: the focus ring is the only accent on these controls.
int accentPixels(QWidget* w) {
    const QImage image = w->grab().toImage();
    const QColor accent = Theme::accent();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += qAbs(c.red() - accent.red()) < 40 && qAbs(c.green() - accent.green()) < 40 &&
                 qAbs(c.blue() - accent.blue()) < 40;
        }
    return n;
}

// Two actions per row at fixed places, rows 30 high.
class TwoActions : public PaintedRowDelegate {
public:
    using PaintedRowDelegate::PaintedRowDelegate;
    int rowHeight() const override { return 30; }
    QList<QRect> actionRects(const QModelIndex&, const QRect& row) const override {
        return {QRect(row.right() - 80, row.top() + 5, 30, 20),
                QRect(row.right() - 40, row.top() + 5, 30, 20)};
    }
    QString actionDescription(const QModelIndex& index, int action) const override {
        return (action == 0 ? QStringLiteral("Start ") : QStringLiteral("Stop ")) + index.data().toString();
    }
    void paintRow(QPainter& p, const QRect& row, const QModelIndex&, const RowState&) const override {
        p.fillRect(row, Theme::windowBackground());
    }
};

struct ListWindow {
    QWidget window;
    QLineEdit before{&window};
    PaintedListView list{&window};
    QStandardItemModel model;
    ListWindow(int rows) {
        for (int i = 0; i < rows; ++i)
            model.appendRow(new QStandardItem(QStringLiteral("row %1").arg(i)));
        list.setRowDelegate(new TwoActions(&list));
        list.setModel(&model);
        auto* column = new QVBoxLayout(&window);
        column->addWidget(&before);
        column->addWidget(&list);
        window.resize(300, 200);
        window.show();
    }
    QPoint actionCentre(int row, int action) {
        return list.rowDelegate()
            ->actionRects(model.index(row, 0), list.visualRect(model.index(row, 0)))[action]
            .center();
    }
};
} // namespace

class KitTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { initUiTest(); }

    void controlsShowKeyboardFocus() {
        QWidget window;
        auto* button = new Button(QStringLiteral("Refresh"), Button::Style::Bordered, &window);
        auto* prominent = new Button(QStringLiteral("Create"), Button::Style::Prominent, &window);
        prominent->setTint(Theme::green());
        auto* toggle = new ToggleSwitch(QStringLiteral("Auto-refresh"), &window);
        auto* field = new QLineEdit(&window);
        auto* column = new QVBoxLayout(&window);
        for (QWidget* w : std::initializer_list<QWidget*>{button, prominent, toggle, field})
            column->addWidget(w);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // A focus that the keyboard did not move shows no ring (the window opening, a click).
        field->setFocus(Qt::MouseFocusReason);
        const std::initializer_list<QWidget*> controls{button, prominent, toggle, field};
        QHash<QWidget*, int> quiet;
        for (QWidget* w : controls)
            quiet[w] = accentPixels(w);
        for (QWidget* w : controls) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QTRY_VERIFY(w->hasFocus());
            QVERIFY2(accentPixels(w) > quiet[w] + 20, w->metaObject()->className());
        }
        // A click does not take the focus from where the keyboard left it.
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(field->hasFocus());
    }

    void buttonsPressFromTheKeyboard() {
        Button b(QStringLiteral("Retry"), Button::Style::Prominent);
        QSignalSpy clicked(&b, &QAbstractButton::clicked);
        b.show();
        QTest::keyClick(&b, Qt::Key_Space);
        QTest::keyClick(&b, Qt::Key_Return);
        QTRY_COMPARE(clicked.size(), 2);
        b.setEnabled(false);
        QTest::keyClick(&b, Qt::Key_Return);
        QTest::qWait(200);
        QCOMPARE(clicked.size(), 2);
        // Busy with the title gone (as Create does): the width stays, the spinner shows.
        b.setEnabled(true);
        const int width = b.sizeHint().width();
        b.setFixedWidth(width);
        b.setText(QString());
        b.setBusy(true);
        QCOMPARE(b.width(), width);
        QVERIFY(b.findChild<QWidget*>()->isVisible());
        QCOMPARE(b.accessibleName(), QStringLiteral("Retry"));
    }

    void sheetClosesAndGoesAway() {
        QWidget window;
        window.show();
        QPointer<Sheet> sheet = new Sheet(&window);
        QSignalSpy dismissed(sheet.data(), &Sheet::dismissed);
        sheet->present();
        QVERIFY(sheet->isVisible());
        QCOMPARE(sheet->windowModality(), Qt::WindowModal);
        QTest::keyClick(sheet.data(), Qt::Key_Escape);
        QCOMPARE(dismissed.size(), 1);
        QTRY_VERIFY(sheet.isNull());

        QPointer<Sheet> firm = new Sheet(&window, Sheet::Escape::Ignored);
        firm->present();
        QTest::keyClick(firm.data(), Qt::Key_Escape);
        QVERIFY(firm->isVisible());
        firm->dismiss();
        QVERIFY(firm->isDismissed());
        QTRY_VERIFY(firm.isNull());
    }

    void statusLineLooks() {
        StatusLine line;
        QSignalSpy closeRequested(&line, &StatusLine::closeRequested);
        line.setStatus(std::nullopt, false);
        QVERIFY(line.isHidden());
        line.setStatus(QString(), false); // present but empty still shows
        QVERIFY(!line.isHidden());
        line.setStatus(QStringLiteral("Clone failed"), true);
        QCOMPARE(line.message(), QStringLiteral("Clone failed"));
        QVERIFY(line.isError());
        line.resize(300, 40);
        const QImage red = line.grab().toImage();
        line.setStatus(QStringLiteral("Clone failed"), false);
        QVERIFY(line.grab().toImage() != red);
        // The close button only asks; the owner decides.
        line.closeButton()->click();
        QCOMPARE(closeRequested.size(), 1);
        QVERIFY(!line.isHidden());
        QCOMPARE(line.closeButton()->accessibleName(), QStringLiteral("Close"));
    }

    void paintedListFromTheKeyboard() {
        ListWindow w(3);
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        QSignalSpy triggered(&w.list, &PaintedListView::actionTriggered);
        w.before.setFocus();
        QTest::keyClick(&w.before, Qt::Key_Tab);
        QVERIFY(w.list.hasFocus());
        QCOMPARE(w.list.currentIndex().row(), 0);
        QCOMPARE(w.list.focusedAction(), 0);
        QCOMPARE(w.list.accessibleDescription(), QStringLiteral("Start row 0"));
        QTest::keyClick(&w.list, Qt::Key_Right);
        QTest::keyClick(&w.list, Qt::Key_Right); // stops at the last action
        QCOMPARE(w.list.focusedAction(), 1);
        QTest::keyClick(&w.list, Qt::Key_Return);
        QTest::keyClick(&w.list, Qt::Key_Down);
        QCOMPARE(w.list.focusedAction(), 0); // a new row starts at its first action
        QTest::keyClick(&w.list, Qt::Key_Space);
        QCOMPARE(triggered.size(), 2);
        QCOMPARE(triggered.at(0).at(0).toModelIndex().row(), 0);
        QCOMPARE(triggered.at(0).at(1).toInt(), 1);
        QCOMPARE(triggered.at(1).at(0).toModelIndex().row(), 1);
        QCOMPARE(triggered.at(1).at(1).toInt(), 0);
        QCOMPARE(w.list.accessibleDescription(), QStringLiteral("Start row 1"));
    }

    void paintedListUnderThePointer() {
        ListWindow w(3);
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        QSignalSpy triggered(&w.list, &PaintedListView::actionTriggered);
        QWidget* viewport = w.list.viewport();
        QTest::mouseMove(viewport, w.actionCentre(2, 1));
        QTRY_COMPARE(viewport->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(w.list.hoveredIndex().row(), 2);
        QCOMPARE(w.list.hoveredAction(), 1);
        QTest::mouseMove(viewport, QPoint(5, w.actionCentre(2, 1).y()));
        QTRY_COMPARE(viewport->cursor().shape(), Qt::ArrowCursor);
        // Pressed on one action and released on another: no click.
        QTest::mousePress(viewport, Qt::LeftButton, {}, w.actionCentre(1, 0));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, w.actionCentre(1, 1));
        QCOMPARE(triggered.size(), 0);
        QTest::mouseClick(viewport, Qt::LeftButton, {}, w.actionCentre(1, 0));
        QCOMPARE(triggered.size(), 1);
        QCOMPARE(triggered.at(0).at(0).toModelIndex().row(), 1);
        // A click does not move the keyboard focus into the list.
        QVERIFY(!w.list.hasFocus());
    }

    void scrollBarsFloatOverTheRows() {
        ListWindow w(50);
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        QTRY_VERIFY(w.list.verticalScrollBar()->isVisible());
        // The rows keep the whole width: the bar is drawn over them, thin.
        QCOMPARE(w.list.viewport()->width(), w.list.width());
        QVERIFY(w.list.verticalScrollBar()->width() <= 10);
    }

    void iconsFollowThePixelDensity() {
        // Drawn at 1x and scaled, every 2 × 2 block of a 2x image would be one colour.
        QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            Icons::paint(p, QRectF(0, 0, 20, 20), QStringLiteral("plus"), 11, Qt::black);
        }
        bool finer = false;
        for (int y = 0; y + 1 < 40 && !finer; y += 2)
            for (int x = 0; x + 1 < 40 && !finer; x += 2)
                finer =
                    image.pixel(x, y) != image.pixel(x + 1, y) || image.pixel(x, y) != image.pixel(x, y + 1);
        QVERIFY(finer);
        QCOMPARE(Icons::pixmap(QStringLiteral("eye"), 10, Qt::black, 1.5).width(), 15);

        // The menu bar's overflow arrow, drawn by the kit when it is shown.
        const QImage arrow = QApplication::style()
                                 ->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton)
                                 .pixmap(16)
                                 .toImage();
        QCOMPARE(arrow, Icons::pixmap(QStringLiteral("chevron.right"), 16, Theme::primary()).toImage());
    }

    // The ring keeps its track and number as a picture between frames: after an animation, and
    // after a new palette, it must look exactly like a ring drawn afresh.
    void ringLooksFreshAndSkipsStillFrames() {
        const auto still = [](int value, const QPalette& palette) {
            RingGauge ring(Theme::cpuGauge());
            ring.setPalette(palette);
            ring.setValue(value); // hidden: no animation
            return ring.grab().toImage();
        };
        RingGauge moving(Theme::cpuGauge());
        moving.setAutoFillBackground(true);
        QPalette palette = moving.palette();
        moving.show();
        QVERIFY(QTest::qWaitForWindowExposed(&moving));
        moving.setValue(42);
        QTRY_VERIFY(!moving.isAnimating());
        moving.setValue(87);
        QVERIFY(moving.isAnimating());
        QTRY_VERIFY(!moving.isAnimating());
        QCOMPARE(moving.shownFraction(), 0.87);
        QCOMPARE(moving.grab().toImage(), still(87, palette));

        palette.setColor(moving.backgroundRole(), QColor(30, 40, 50));
        moving.setPalette(palette);
        QImage fresh = still(87, palette);
        QCOMPARE(moving.grab().toImage(), fresh);
        QCOMPARE(fresh.pixelColor(1, 1), QColor(30, 40, 50));

        // One per cent more moves the arc by two pixels: only the frames that show it are drawn.
        PaintCounter paints(&moving);
        moving.setValue(88);
        QTRY_VERIFY(!moving.isAnimating());
        QVERIFY2(paints.count() >= 2 && paints.count() <= 6, qPrintable(QString::number(paints.count())));
    }
};

QTEST_MAIN(KitTest)
#include "KitTest.moc"
