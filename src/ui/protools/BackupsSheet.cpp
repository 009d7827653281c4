#include "BackupsSheet.h"

#include "BackupListModel.h"
#include "BackupRowDelegate.h"
#include "DaemonClient.h"
#include "SheetParts.h"
#include "ToolStatus.h"
#include "kit/Button.h"
#include "kit/Divider.h"
#include "kit/PaintedList.h"
#include "kit/Spinner.h"
#include "kit/Text.h"
#include "kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <utility>

namespace brevant {

BackupsSheet::BackupsSheet(DaemonClient* client, ToolStatus* status, QWidget* parent)
    : Sheet(parent), m_client(client), m_status(status) {
    setObjectName(QStringLiteral("backupsSheet"));
    setWindowTitle(QStringLiteral("Backup & Restore"));
    setAccessibleName(QStringLiteral("Backup & Restore"));

    Button* done = sheet::smallButton(QStringLiteral("Done"), QStringLiteral("doneButton"), this);
    m_create = Button::compact(QStringLiteral("Create Backup"), Button::Style::Prominent, 11,
                               sheet::kFieldHeight, this);
    m_create->setObjectName(QStringLiteral("createBackupButton"));
    m_create->setIcon(QStringLiteral("plus.circle"), 11);
    auto* actions = new QHBoxLayout;
    actions->addWidget(m_create, 0, Qt::AlignVCenter);
    actions->addStretch(1);

    m_spinner = new Spinner(16, 1.0, this);
    m_spinner->setObjectName(QStringLiteral("loadingSpinner"));
    m_model = new BackupListModel(this);
    m_list = new PaintedListView(this);
    m_list->setObjectName(QStringLiteral("backupList"));
    m_list->setAccessibleName(QStringLiteral("Backups"));
    m_delegate = new BackupRowDelegate(m_list);
    m_list->setRowDelegate(m_delegate);
    m_list->setModel(m_model);
    m_list->setFixedHeight(sheet::kListHeight);
    m_empty = text::label(QStringLiteral("No backups yet"), Theme::font(12), Theme::secondary(), this);
    m_empty->setObjectName(QStringLiteral("emptyText"));
    m_empty->setContentsMargins(0, 20, 0, 20);

    QVBoxLayout* column = sheet::centredColumn(this, QSize(460, 300), 12);
    column->addLayout(sheet::header(QStringLiteral("externaldrive.badge.timemachine"), Theme::green(),
                                    QStringLiteral("Backup & Restore"), done, this));
    column->addLayout(actions);
    column->addWidget(new Divider(Qt::Horizontal, 0, this));
    column->addWidget(m_spinner, 0, Qt::AlignHCenter);
    column->addWidget(m_list);
    column->addWidget(m_empty, 0, Qt::AlignHCenter);

    connect(done, &QAbstractButton::clicked, this, &Sheet::dismiss);
    connect(m_create, &QAbstractButton::clicked, this, &BackupsSheet::createBackup);
    connect(m_list, &PaintedListView::actionTriggered, this,
            [this](const QModelIndex& index) { restore(index.data(Qt::DisplayRole).toString()); });
    setLoading(true);
}

const QList<BackupEntry>& BackupsSheet::backups() const {
    return m_model->items();
}

void BackupsSheet::showEvent(QShowEvent* event) {
    Sheet::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    loadBackups();
}

void BackupsSheet::setLoading(bool loading) {
    m_isLoading = loading;
    const bool any = m_model->rowCount() > 0;
    m_spinner->setVisible(loading);
    m_list->setVisible(!loading && any);
    m_empty->setVisible(!loading && !any);
}

void BackupsSheet::setCreating(bool creating) {
    m_isCreating = creating;
    const QString title = creating ? QStringLiteral("Creating...") : QStringLiteral("Create Backup");
    m_create->setTitle(title);
    m_create->setBusy(creating);
    // Disabled, the button hands the keyboard focus on (to the list or "Done", moving again as
    // the list reloads); it takes it back when it is done, so that Space does not close the
    // dialog next.
    if (creating)
        m_createHadFocus = m_create->hasFocus();
    m_create->setEnabled(!creating);
    if (!creating && std::exchange(m_createHadFocus, false) && isActiveWindow())
        m_create->setFocus(Qt::OtherFocusReason);
}

void BackupsSheet::loadBackups(std::function<void()> then) {
    setLoading(true);
    if (!m_client) {
        m_model->sync({});
        setLoading(false);
        if (then)
            then();
        return;
    }
    // A failed load reads as an empty store.
    QCoro::connect(m_client->fetchBackups(), this,
                   [this, then = std::move(then)](const Result<QList<BackupEntry>>& result) {
                       m_model->sync(result ? result.value() : QList<BackupEntry>());
                       setLoading(false);
                       if (then)
                           then();
                   });
}

void BackupsSheet::createBackup() {
    if (!m_client || m_isCreating)
        return;
    setCreating(true);
    // The outcome belongs to the panel: reported even when this dialog has gone meanwhile.
    QObject* context = m_status ? static_cast<QObject*>(m_status.data()) : this;
    QCoro::connect(m_client->createBackup(), context,
                   [status = m_status, self = QPointer(this)](const Result<BackupResult>& result) {
                       if (status)
                           status->report(result ? result.value().message : result.error().description,
                                          !result.ok());
                       if (!self)
                           return;
                       if (!result) {
                           self->setCreating(false);
                           return;
                       }
                       self->loadBackups([self] {
                           if (self)
                               self->setCreating(false);
                       });
                   });
}

void BackupsSheet::restore(const QString& name) {
    if (!m_client)
        return;
    QObject* context = m_status ? static_cast<QObject*>(m_status.data()) : this;
    QCoro::connect(m_client->restoreBackup(name), context,
                   [status = m_status, self = QPointer(this)](const Result<BackupResult>& result) {
                       if (status)
                           status->report(result ? result.value().message : result.error().description,
                                          !result.ok());
                       if (self && result)
                           self->dismiss();
                   });
}

} // namespace brevant
