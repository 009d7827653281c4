#include "UiTestSupport.h"

#include "kit/PaintedList.h"
#include "kit/ServiceListModel.h"
#include "kit/Theme.h"
#include "services/ServiceTable.h"

#include <QApplication>
#include <QEvent>
#include <QPaintEvent>
#include <QTest>
#include <QWidget>

namespace brevant::test {

DesktopGuard::DesktopGuard() : m_desktop(std::make_shared<RecordingDesktop>()) {
    setDesktopServices(m_desktop);
}
DesktopGuard::~DesktopGuard() {
    setDesktopServices(nullptr);
}

void initUiTest() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        Theme::applyPalette(*app);
        app->setFont(Theme::font(13));
    }
}

QList<QWidget*> tabChain(QWidget* start) {
    QList<QWidget*> chain;
    start->setFocus(Qt::TabFocusReason);
    QWidget* w = QApplication::focusWidget();
    while (w && !chain.contains(w) && chain.size() < 500) {
        chain.push_back(w);
        QTest::keyClick(w, Qt::Key_Tab);
        w = QApplication::focusWidget();
    }
    return chain;
}

bool inReadingOrder(const QList<QWidget*>& widgets, QString* why) {
    for (qsizetype i = 1; i < widgets.size(); ++i) {
        const QRect a(widgets[i - 1]->mapToGlobal(QPoint(0, 0)), widgets[i - 1]->size());
        const QRect b(widgets[i]->mapToGlobal(QPoint(0, 0)), widgets[i]->size());
        const int overlap = std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top());
        const bool sameRow = overlap * 2 > std::min(a.height(), b.height());
        if (sameRow ? b.left() > a.left() : b.top() >= a.top())
            continue;
        if (why)
            *why = QStringLiteral("%1 comes after %2")
                       .arg(widgets[i]->accessibleName(), widgets[i - 1]->accessibleName());
        return false;
    }
    return true;
}

void clickServiceButton(ServiceTable* table, const QString& name, const QString& title) {
    for (int row = 0; row < table->model()->rowCount(); ++row) {
        if (table->model()->service(row).name != name)
            continue;
        const QModelIndex index = table->model()->index(row);
        table->list()->scrollTo(index);
        const QList<QRect> rects =
            table->list()->rowDelegate()->actionRects(index, table->list()->visualRect(index));
        const qsizetype at = table->buttonTitles(row).indexOf(title);
        QVERIFY2(at >= 0, qPrintable(name + QLatin1Char(' ') + title));
        QTest::mouseClick(table->list()->viewport(), Qt::LeftButton, {}, rects.at(at).center());
        return;
    }
    QFAIL(qPrintable(QStringLiteral("no row for ") + name));
}

PaintCounter::PaintCounter(QWidget* root) : m_root(root) {
    qApp->installEventFilter(this);
}
PaintCounter::~PaintCounter() {
    qApp->removeEventFilter(this);
}

QStringList PaintCounter::painted() const {
    return QStringList(m_painted.begin(), m_painted.end());
}

bool PaintCounter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && (w == m_root || m_root->isAncestorOf(w))) {
            ++m_count;
            m_painted.insert(w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                                       : w->objectName());
            m_regions[w] += static_cast<QPaintEvent*>(event)->region();
        }
    }
    return false;
}

} // namespace brevant::test
