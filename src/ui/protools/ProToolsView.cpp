#include "ProToolsView.h"

#include "BackupsSheet.h"
#include "CMSInstallSheet.h"
#include "DNSEditorSheet.h"
#include "DaemonClient.h"
#include "DesktopServices.h"
#include "GitCloneSheet.h"
#include "MailCatcher.h"
#include "ProHeader.h"
#include "TerminalScript.h"
#include "ToolCard.h"
#include "ToolStatus.h"
#include "kit/StatusLine.h"
#include "kit/Theme.h"

#include <QGridLayout>
#include <QScrollArea>
#include <QVBoxLayout>

namespace brevant {

ProToolsView::ProToolsView(DaemonClient* client, QWidget* parent)
    : QWidget(parent), m_client(client), m_status(new ToolStatus(this)),
      m_scriptPath(QString::fromLatin1(kTerminalScriptPath)) {
    setObjectName(QStringLiteral("proToolsView"));
    setAccessibleName(QStringLiteral("Pro Tools"));

    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("proToolsContent"));
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(16);
    column->addWidget(new ProHeader(content));
    m_statusLine = new StatusLine(content);
    column->addWidget(m_statusLine);

    // Built in grid order, which is also the order Tab follows.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(12);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    column->addLayout(grid);
    column->addStretch(1);
    addCard(QStringLiteral("arrow.triangle.branch"), QStringLiteral("Git Clone"),
            QStringLiteral("Clone a Git repository into your projects."), Theme::orange(),
            &ProToolsView::presentGitClone);
    addCard(QStringLiteral("square.and.arrow.down.on.square"), QStringLiteral("CMS Installer"),
            QStringLiteral("One-click install WordPress, Laravel, or Drupal."), Theme::blue(),
            &ProToolsView::presentCMSInstall);
    addCard(QStringLiteral("envelope.badge"), QStringLiteral("Email Testing"),
            QStringLiteral("Open Mailhog to capture and inspect emails."), Theme::purple(),
            &ProToolsView::openMailhog);
    addCard(QStringLiteral("globe"), QStringLiteral("DNS Editor"),
            QStringLiteral("Manage local hosts file entries."), Theme::cyan(),
            &ProToolsView::presentDNSEditor);
    addCard(QStringLiteral("externaldrive.badge.timemachine"), QStringLiteral("Backup & Restore"),
            QStringLiteral("Snapshot and restore your project files."), Theme::green(),
            &ProToolsView::presentBackups);
    addCard(QStringLiteral("terminal"), QStringLiteral("Terminal"),
            QStringLiteral("Open Terminal with Brevant tools in PATH."), Theme::gray(),
            &ProToolsView::launchTerminal);
    for (int i = 0; i < m_cards.size(); ++i)
        grid->addWidget(m_cards[i], i / 2, i % 2, Qt::AlignVCenter);

    auto* scroll = new QScrollArea(this);
    // Only a frame for what it holds: Tab goes to the cards, never to the frame itself.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setObjectName(QStringLiteral("proToolsScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(content);
    scroll->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    connect(m_status, &ToolStatus::changed, this, &ProToolsView::statusChanged);
    connect(m_statusLine, &StatusLine::closeRequested, m_status, &ToolStatus::clearMessage);
    statusChanged();
}

void ProToolsView::addCard(const QString& icon, const QString& title, const QString& description,
                           const QColor& tint, void (ProToolsView::*action)()) {
    // Beside the status line, inside the scrolled column.
    auto* card = new ToolCard(icon, title, description, tint, m_statusLine->parentWidget());
    card->setObjectName(QStringLiteral("card-") +
                        QString(title).remove(QLatin1Char(' ')).remove(QLatin1Char('&')));
    connect(card, &QAbstractButton::clicked, this, action);
    m_cards.push_back(card);
}

void ProToolsView::statusChanged() {
    m_statusLine->setStatus(m_status->statusMessage(), m_status->isError());
}

void ProToolsView::present(Sheet* sheet) {
    m_sheet = sheet;
    connect(sheet, &Sheet::dismissed, this, [this] { m_sheet = nullptr; });
    sheet->present();
}

// A dialog is modal: while one is shown no card can be clicked, but a script may still try.
void ProToolsView::presentGitClone() {
    if (!m_sheet)
        present(new GitCloneSheet(m_client, m_status, this));
}

void ProToolsView::presentCMSInstall() {
    if (!m_sheet)
        present(new CMSInstallSheet(m_client, m_status, this));
}

void ProToolsView::presentDNSEditor() {
    if (!m_sheet)
        present(new DNSEditorSheet(m_client, this));
}

void ProToolsView::presentBackups() {
    if (!m_sheet)
        present(new BackupsSheet(m_client, m_status, this));
}

void ProToolsView::openMailhog() {
    const std::optional<QUrl> url = mailCatcherURL(m_client ? m_client->appConfig() : std::nullopt);
    if (url)
        desktopServices().openUrl(*url);
}

void ProToolsView::launchTerminal() {
    brevant::launchTerminal(desktopServices(), m_scriptPath);
}

} // namespace brevant
