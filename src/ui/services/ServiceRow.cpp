#include "ServiceRow.h"

#include "DesktopServices.h"
#include "kit/Button.h"
#include "kit/Icons.h"
#include "kit/Painting.h"
#include "kit/Theme.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QUrl>

namespace brevant {

namespace {
constexpr int kCellsWidth = ServiceRow::kDotCell + ServiceRow::kIconCell + ServiceRow::kNameCell +
                            ServiceRow::kStateCell + ServiceRow::kPortCell + 4 * ServiceRow::kSpacing;
bool showsAdmin(const ServiceStatus& s) {
    return s.name == QLatin1StringView("mariadb") && s.isRunning();
}
void call(const std::function<void()>& action) {
    if (action)
        action();
}
} // namespace

ServiceRow::ServiceRow(ServiceStatus service, Actions actions, qint64 apachePort, QWidget* parent)
    : QWidget(parent), m_service(std::move(service)), m_actions(std::move(actions)),
      m_apachePort(apachePort) {
    setObjectName(QStringLiteral("serviceRow-") + m_service.name);
    setAttribute(Qt::WA_Hover);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(kSideMargin, 8, kSideMargin, 8);
    row->setSpacing(kSpacing);
    row->addSpacing(kCellsWidth);
    row->addStretch(1);
    m_buttons = new QHBoxLayout;
    m_buttons->setSpacing(6);
    row->addLayout(m_buttons);
    rebuildButtons();
    setAccessibleName(m_service.displayName() + QStringLiteral(", ") + stateText());
}

QString ServiceRow::stateText() const {
    return m_service.isRunning() ? QStringLiteral("Running") : QStringLiteral("Stopped");
}

QString ServiceRow::portText() const {
    return m_service.port ? QStringLiteral(":") + QString::number(*m_service.port) : QStringLiteral("\u2014");
}

QString ServiceRow::adminUrl() const {
    return QStringLiteral("http://localhost:%1/phpmyadmin").arg(m_apachePort);
}

void ServiceRow::openAdmin() const {
    const QUrl url(adminUrl(), QUrl::StrictMode);
    if (url.isValid())
        desktopServices().openUrl(url);
}

Button* ServiceRow::addButton(const QString& title, const QColor& color, const char* objectName,
                              std::function<void()> action) {
    auto* b = Button::action(title, color, this);
    b->setObjectName(QLatin1StringView(objectName));
    b->setAccessibleDescription(title + QLatin1Char(' ') + m_service.displayName());
    connect(b, &QAbstractButton::clicked, this, std::move(action));
    m_buttons->addWidget(b);
    return b;
}

void ServiceRow::rebuildButtons() {
    // The clicked button may be the one going away: it is deleted once its click has returned.
    while (QLayoutItem* item = m_buttons->takeAt(0)) {
        if (QWidget* w = item->widget()) {
            w->hide();
            w->setParent(nullptr);
            w->deleteLater();
        }
        delete item;
    }
    m_shownRunning = m_service.isRunning();
    m_shownAdmin = showsAdmin(m_service);
    if (m_shownRunning) {
        addButton(QStringLiteral("Stop"), Theme::stopButton(), "stopButton",
                  [this] { call(m_actions.onStop); });
        addButton(QStringLiteral("Restart"), Theme::restartButton(), "restartButton",
                  [this] { call(m_actions.onRestart); });
    } else {
        addButton(QStringLiteral("Start"), Theme::runningGreen(), "startButton",
                  [this] { call(m_actions.onStart); });
    }
    addButton(QStringLiteral("Logs"), Theme::logsButton(), "logsButton",
              [this] { call(m_actions.onViewLogs); });
    if (m_shownAdmin)
        addButton(QStringLiteral("Admin"), Theme::adminButton(), "adminButton", [this] { openAdmin(); });
}

QStringList ServiceRow::buttonTitles() const {
    QStringList titles;
    for (int i = 0; i < m_buttons->count(); ++i)
        if (auto* b = qobject_cast<QAbstractButton*>(m_buttons->itemAt(i)->widget()))
            titles << b->text();
    return titles;
}

void ServiceRow::setService(const ServiceStatus& service) {
    if (service == m_service)
        return;
    // Fields the row does not show (pid, uptime, cpu, memory, error) change on every poll of a
    // busy daemon: they must not cost a repaint.
    const bool visibleChange = service.name != m_service.name || service.status != m_service.status ||
                               service.port != m_service.port;
    m_service = service;
    if (!visibleChange)
        return;
    if (m_service.isRunning() != m_shownRunning || showsAdmin(m_service) != m_shownAdmin)
        rebuildButtons();
    setAccessibleName(m_service.displayName() + QStringLiteral(", ") + stateText());
    update();
}

void ServiceRow::enterEvent(QEnterEvent*) {
    m_isHovered = true;
    update();
}

void ServiceRow::leaveEvent(QEvent*) {
    m_isHovered = false;
    update();
}

void ServiceRow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (m_isHovered)
        paint::rounded(p, rect(), 6, Theme::withOpacity(Theme::primary(), 0.04));

    const bool running = m_service.isRunning();
    const double h = height();
    double x = kSideMargin;

    const QColor dotFill = running ? Theme::runningGreen() : Theme::withOpacity(Theme::secondary(), 0.3);
    const QColor glow = running ? Theme::withOpacity(Theme::runningGreen(), 0.3) : QColor(Qt::transparent);
    paint::dot(p, QPointF(x + kDotCell / 2.0, h / 2), kDotCell, dotFill, glow, 3);
    x += kDotCell + kSpacing;

    const QColor iconColor = running ? Theme::serviceColor(m_service.name) : Theme::secondary();
    Icons::paint(p, QRectF(x, 0, kIconCell, h), m_service.iconName(), 14, iconColor);
    x += kIconCell + kSpacing;

    paint::text(p, QRectF(x, 0, kNameCell, h), m_service.displayName(), Theme::font(13, QFont::DemiBold),
                Theme::primary());
    x += kNameCell + kSpacing;

    paint::text(p, QRectF(x, 0, kStateCell, h), stateText(), Theme::font(12, QFont::Medium),
                running ? Theme::runningGreen() : Theme::secondary());
    x += kStateCell + kSpacing;

    if (m_service.port)
        paint::text(p, QRectF(x, 0, kPortCell, h), portText(),
                    Theme::font(12, QFont::Normal, Theme::Design::Monospaced), Theme::secondary());
    else
        paint::text(p, QRectF(x, 0, kPortCell, h), portText(), Theme::font(12),
                    Theme::withOpacity(Theme::secondary(), 0.4));
}

} // namespace brevant
