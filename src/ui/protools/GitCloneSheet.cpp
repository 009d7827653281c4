#include "GitCloneSheet.h"

#include "DaemonClient.h"
#include "SheetParts.h"
#include "ToolStatus.h"
#include "kit/Button.h"
#include "kit/Theme.h"

#include <QLineEdit>
#include <QVBoxLayout>

namespace brevant {

GitCloneSheet::GitCloneSheet(DaemonClient* client, ToolStatus* status, QWidget* parent)
    : Sheet(parent), m_client(client), m_status(status) {
    setObjectName(QStringLiteral("gitCloneSheet"));
    setWindowTitle(QStringLiteral("Git Clone"));
    setAccessibleName(QStringLiteral("Git Clone"));
    setFixedWidth(420);

    Button* cancel = sheet::smallButton(QStringLiteral("Cancel"), QStringLiteral("cancelButton"), this);
    m_url = sheet::field(QStringLiteral("https://github.com/user/repo.git"), QStringLiteral("Repository URL"),
                         QStringLiteral("repoURLField"), this);
    m_name = sheet::field(QStringLiteral("Auto-detected from URL"), QStringLiteral("Project Name (optional)"),
                          QStringLiteral("projectNameField"), this);
    m_clone = Button::compact(QStringLiteral("Clone Repository"), Button::Style::Prominent, 12,
                              sheet::kRegularHeight, this);
    m_clone->setObjectName(QStringLiteral("cloneButton"));
    m_clone->setIcon(QStringLiteral("arrow.down.circle"), 12);
    m_clone->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(16);
    column->addLayout(sheet::header(QStringLiteral("arrow.triangle.branch"), Theme::orange(),
                                    QStringLiteral("Git Clone"), cancel, this));
    column->addLayout(sheet::labelled(QStringLiteral("Repository URL"), m_url, this));
    column->addLayout(sheet::labelled(QStringLiteral("Project Name (optional)"), m_name, this));
    column->addWidget(m_clone);

    connect(cancel, &QAbstractButton::clicked, this, &Sheet::dismiss);
    connect(m_url, &QLineEdit::textChanged, this, &GitCloneSheet::updateCloneButton);
    connect(m_clone, &QAbstractButton::clicked, this, &GitCloneSheet::clone);
    updateCloneButton();
    m_url->setFocus();
}

QString GitCloneSheet::repoURL() const {
    return m_url->text();
}

QString GitCloneSheet::projectName() const {
    return m_name->text();
}

void GitCloneSheet::updateCloneButton() {
    // Empty means no characters at all: a URL of spaces is the daemon's to judge.
    m_clone->setEnabled(!m_url->text().isEmpty() && !m_isCloning);
}

void GitCloneSheet::setCloning(bool cloning) {
    m_isCloning = cloning;
    const QString title = cloning ? QStringLiteral("Cloning...") : QStringLiteral("Clone Repository");
    m_clone->setTitle(title);
    m_clone->setBusy(cloning);
    updateCloneButton();
}

void GitCloneSheet::clone() {
    if (!m_client || m_isCloning || m_url->text().isEmpty())
        return;
    setCloning(true);
    const QString name = m_name->text();
    // The outcome belongs to the panel: it is reported even when this dialog has gone meanwhile,
    // and dropped only with the panel itself.
    QObject* context = m_status ? static_cast<QObject*>(m_status.data()) : this;
    QCoro::connect(m_client->gitClone(m_url->text(), name.isEmpty() ? std::nullopt : std::optional(name)),
                   context, [status = m_status, self = QPointer(this)](const Result<GitCloneResult>& result) {
                       if (status)
                           status->report(result ? result.value().message : result.error().description,
                                          !result.ok());
                       if (!self)
                           return;
                       self->dismiss();
                       self->setCloning(false);
                   });
}

} // namespace brevant
