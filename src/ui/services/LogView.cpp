#include "LogView.h"

#include "DaemonClient.h"
#include "DesktopServices.h"
#include "TextRules.h"
#include "kit/Button.h"
#include "kit/Divider.h"
#include "kit/FocusFrame.h"
#include "kit/IconView.h"
#include "kit/Text.h"
#include "kit/Theme.h"
#include "kit/ToggleSwitch.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

namespace brevant {

LogView::LogView(QString serviceName, DaemonClient* client, QWidget* parent,
                 std::chrono::milliseconds refreshInterval)
    : Sheet(parent), m_serviceName(std::move(serviceName)), m_client(client), m_interval(refreshInterval) {
    setObjectName(QStringLiteral("logView"));
    setWindowTitle(title());
    setAccessibleName(title());
    setMinimumSize(600, 400);
    resize(600, 400);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(16, 16, 16, 16);
    header->setSpacing(8);
    header->addWidget(new IconView(QStringLiteral("doc.text"), 14, Theme::blue(), this));
    m_title = new QLabel(title(), this);
    m_title->setObjectName(QStringLiteral("logTitle"));
    m_title->setFont(Theme::font(13, QFont::Bold));
    header->addWidget(m_title);
    header->addStretch(1);
    m_switch = new ToggleSwitch(QStringLiteral("Auto-refresh"), this);
    m_switch->setObjectName(QStringLiteral("autoRefreshSwitch"));
    m_switch->setChecked(m_autoRefresh);
    header->addWidget(m_switch);
    auto* refresh = new Button(QStringLiteral("Refresh"), Button::Style::Bordered, this);
    refresh->setObjectName(QStringLiteral("refreshButton"));
    refresh->setTextFont(Theme::font(11));
    refresh->setFixedHeight(20);
    header->addWidget(refresh);
    auto* close = new Button(QStringLiteral("Close"), Button::Style::Bordered, this);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setTextFont(Theme::font(11));
    close->setFixedHeight(20);
    header->addWidget(close);
    column->addLayout(header);
    column->addWidget(new Divider(Qt::Horizontal, 0, this));

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("logBottom"));
    m_text->setAccessibleName(QStringLiteral("Log output"));
    m_text->setReadOnly(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setFrameShape(QFrame::NoFrame);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // The whole reply stays copyable, also where the view cuts a line that is too long to show.
    m_text->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_text, &QWidget::customContextMenuRequested, this, &LogView::showContextMenu);
    m_text->setFont(Theme::font(11, QFont::Normal, Theme::Design::Monospaced));
    m_text->document()->setDocumentMargin(12);
    QPalette pal = m_text->palette();
    pal.setColor(QPalette::Base, Theme::textBackground());
    m_text->setPalette(pal);
    text::setColor(m_text, Theme::primary());
    m_text->setPlainText(m_logContent);
    new FocusFrame(m_text);
    column->addWidget(m_text, 1);

    m_wait.setSingleShot(true);
    m_wait.setTimerType(Qt::PreciseTimer); // a coarse timer may fire up to 5 % early
    connect(&m_wait, &QTimer::timeout, this, &LogView::loopTick);
    m_scroll.setTargetObject(m_text->verticalScrollBar());
    m_scroll.setPropertyName("value");
    m_scroll.setDuration(250);
    m_scroll.setEasingCurve(QEasingCurve::InOutQuad);

    connect(m_switch, &QAbstractButton::toggled, this, &LogView::setAutoRefresh);
    connect(refresh, &QAbstractButton::clicked, this, &LogView::loadLogs);
    connect(close, &QAbstractButton::clicked, this, &Sheet::dismiss); // Escape as well
}

QString LogView::title() const {
    return capitalized(m_serviceName) + QStringLiteral(" Logs");
}

void LogView::showEvent(QShowEvent* event) {
    Sheet::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    loadLogs();
    restartLoop();
}

void LogView::done(int result) {
    // Closing cancels the loop; loads in flight finish into a closed sheet and are ignored.
    m_closed = true;
    ++m_loopGeneration;
    m_wait.stop();
    Sheet::done(result);
}

void LogView::setAutoRefresh(bool on) {
    if (on == m_autoRefresh)
        return;
    m_autoRefresh = on;
    if (m_switch->isChecked() != on)
        m_switch->setChecked(on);
    if (m_started && !m_closed)
        restartLoop();
}

void LogView::restartLoop() {
    // Cancelling a run that is waiting ends the wait early, and that run still loads once more.
    if (m_wait.isActive()) {
        m_wait.stop();
        loadLogs();
    }
    ++m_loopGeneration;
    if (m_autoRefresh)
        m_wait.start(m_interval);
}

void LogView::loopTick() {
    if (!m_client || m_closed)
        return;
    ++m_loadsStarted;
    QCoro::connect(m_client->fetchLogs(m_serviceName, kLines), this,
                   [this, generation = m_loopGeneration](const QString& text) {
                       if (m_closed)
                           return;
                       setLogContent(text);
                       // The next wait starts once this load has finished, unless the run was
                       // cancelled meanwhile.
                       if (generation == m_loopGeneration && m_autoRefresh)
                           m_wait.start(m_interval);
                   });
}

void LogView::loadLogs() {
    if (!m_client || m_closed)
        return;
    ++m_loadsStarted;
    QCoro::connect(m_client->fetchLogs(m_serviceName, kLines), this, [this](const QString& text) {
        if (!m_closed)
            setLogContent(text);
    });
}

void LogView::setLogContent(const QString& text) {
    const QString shown = text.isEmpty() ? QStringLiteral("No log output yet.") : text;
    if (shown == m_logContent)
        return;
    m_logContent = shown;
    // The whole text is replaced; the view stays where it was until the scroll moves it down.
    QScrollBar* bar = m_text->verticalScrollBar();
    const int before = bar->value();
    m_text->setPlainText(shownLog(m_logContent));
    bar->setValue(std::min(before, bar->maximum()));
    scrollToEnd();
}

void LogView::showContextMenu(const QPoint& at) {
    QMenu* menu = m_text->createStandardContextMenu(at);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* whole = menu->addAction(QStringLiteral("Copy Whole Log"));
    connect(whole, &QAction::triggered, this, [this] { desktopServices().copyText(m_logContent); });
    menu->popup(m_text->viewport()->mapToGlobal(at));
}

void LogView::scrollToEnd() {
    QScrollBar* bar = m_text->verticalScrollBar();
    m_scroll.stop();
    if (!isVisible()) {
        bar->setValue(bar->maximum());
        return;
    }
    m_scroll.setStartValue(bar->value());
    m_scroll.setEndValue(bar->maximum());
    m_scroll.start();
}

} // namespace brevant
