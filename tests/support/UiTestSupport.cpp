#include "UiTestSupport.h"

#include "kit/Theme.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace brevant::test {

QCoro::Task<void> RecordingDesktop::runAndWait(QString program, QStringList arguments) {
    runs.push_back(QStringList{program} + arguments);
    co_return;
}

DesktopGuard::DesktopGuard() : m_desktop(std::make_shared<RecordingDesktop>()) {
    setDesktopServices(m_desktop);
}
DesktopGuard::~DesktopGuard() {
    setDesktopServices(nullptr);
}

void initUiTest() {
    Theme::loadFonts();
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        Theme::applyPalette(*app);
        app->setFont(Theme::font(13));
    }
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
        }
    }
    return false;
}

} // namespace brevant::test
