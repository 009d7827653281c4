#pragma once

// Helpers of the widget tests: a recording desktop, the application's look, and a paint counter.

#include "Fixture.h"
#include "Json.h"
#include "RecordingDesktop.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QRegion>
#include <QSet>
#include <QStringList>
#include <QUrl>

#include <memory>

class QWidget;

namespace brevant {
class ServiceTable;
}

namespace brevant::test {

// Installs a RecordingDesktop for the lifetime of this object.
class DesktopGuard {
public:
    DesktopGuard();
    ~DesktopGuard();
    RecordingDesktop& desktop() { return *m_desktop; }

private:
    std::shared_ptr<RecordingDesktop> m_desktop;
};

// Fonts and palette as the application sets them.
void initUiTest();

// The widgets Tab visits from `start` until it comes back round, `start` first.
QList<QWidget*> tabChain(QWidget* start);
// Whether `widgets` appear in reading order on screen: each next one on the same row further
// right, or lower down.
bool inReadingOrder(const QList<QWidget*>& widgets, QString* why = nullptr);

// Clicks the button titled `title` on the row of the service named `name`, as the pointer would.
void clickServiceButton(ServiceTable* table, const QString& name, const QString& title);

// Counts paint events of a widget and everything inside it.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* root);
    ~PaintCounter() override;
    int count() const { return m_count; }
    // Names (object name or class) of the widgets painted so far.
    QStringList painted() const;
    // What has been repainted of one widget so far (a list's viewport: the rows).
    QRegion region(const QWidget* widget) const { return m_regions.value(widget); }
    void reset() {
        m_count = 0;
        m_painted.clear();
        m_regions.clear();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_root;
    int m_count = 0;
    QSet<QString> m_painted;
    QHash<const QWidget*, QRegion> m_regions;
};

} // namespace brevant::test
