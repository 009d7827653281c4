#include "CMSInstallSheet.h"

#include "CMSTile.h"
#include "DaemonClient.h"
#include "SheetParts.h"
#include "TextRules.h"
#include "ToolStatus.h"
#include "kit/Button.h"
#include "kit/Theme.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace brevant {

CMSInstallSheet::CMSInstallSheet(DaemonClient* client, ToolStatus* status, QWidget* parent)
    : Sheet(parent), m_client(client), m_status(status) {
    setObjectName(QStringLiteral("cmsInstallSheet"));
    setWindowTitle(QStringLiteral("CMS Installer"));
    setAccessibleName(QStringLiteral("CMS Installer"));
    setFixedWidth(420);

    Button* cancel = sheet::smallButton(QStringLiteral("Cancel"), QStringLiteral("cancelButton"), this);
    auto* tiles = new QHBoxLayout;
    tiles->setSpacing(10);
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    for (const Option& o : cmsOptions) {
        auto* tile = new CMSTile(QString::fromLatin1(o.id), QString::fromLatin1(o.label),
                                 QString::fromLatin1(o.icon), this);
        tile->setObjectName(QStringLiteral("tile-") + tile->id());
        m_group->addButton(tile);
        m_tiles.push_back(tile);
        tiles->addWidget(tile, 1, Qt::AlignVCenter);
        connect(tile, &QAbstractButton::clicked, this, [this, tile] { selectCMS(tile->id()); });
    }
    m_name = sheet::field(QStringLiteral("my-wordpress-site"), QStringLiteral("Project Name"),
                          QStringLiteral("projectNameField"), this);
    m_install = Button::compact(installTitle(), Button::Style::Prominent, 12, sheet::kRegularHeight, this);
    m_install->setObjectName(QStringLiteral("installButton"));
    m_install->setIcon(QStringLiteral("arrow.down.circle"), 12);
    m_install->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(16);
    column->addLayout(sheet::header(QStringLiteral("square.and.arrow.down.on.square"), Theme::blue(),
                                    QStringLiteral("CMS Installer"), cancel, this));
    column->addLayout(tiles);
    column->addLayout(sheet::labelled(QStringLiteral("Project Name"), m_name, this));
    column->addWidget(m_install);

    connect(cancel, &QAbstractButton::clicked, this, &Sheet::dismiss);
    connect(m_name, &QLineEdit::textChanged, this, &CMSInstallSheet::updateInstallButton);
    connect(m_install, &QAbstractButton::clicked, this, &CMSInstallSheet::install);
    updateInstallButton();
    m_name->setFocus();
}

QString CMSInstallSheet::projectName() const {
    return m_name->text();
}

void CMSInstallSheet::selectCMS(const QString& id) {
    for (CMSTile* tile : m_tiles)
        if (tile->id() == id) {
            m_selectedCMS = id;
            tile->setChecked(true);
        }
    updateInstallButton();
}

QString CMSInstallSheet::installTitle() const {
    // Capitalised from the id, not the tile's label: "Wordpress".
    if (m_isInstalling)
        return QStringLiteral("Installing ") + capitalized(m_selectedCMS) + QStringLiteral("...");
    return QStringLiteral("Install ") +
           (m_selectedCMS.isEmpty() ? QStringLiteral("CMS") : capitalized(m_selectedCMS));
}

void CMSInstallSheet::updateInstallButton() {
    m_install->setTitle(installTitle());
    // Empty means no characters at all: a name of spaces is the daemon's to judge.
    m_install->setEnabled(!m_selectedCMS.isEmpty() && !m_name->text().isEmpty() && !m_isInstalling);
}

void CMSInstallSheet::setInstalling(bool installing) {
    m_isInstalling = installing;
    m_install->setBusy(installing);
    updateInstallButton();
}

void CMSInstallSheet::install() {
    if (!m_client || m_isInstalling || m_selectedCMS.isEmpty() || m_name->text().isEmpty())
        return;
    setInstalling(true);
    // The outcome belongs to the panel: reported even when this dialog has gone meanwhile.
    QObject* context = m_status ? static_cast<QObject*>(m_status.data()) : this;
    QCoro::connect(m_client->cmsInstall(m_selectedCMS, m_name->text()), context,
                   [status = m_status, self = QPointer(this)](const Result<CMSInstallResult>& result) {
                       if (status)
                           status->report(result ? result.value().message : result.error().description,
                                          !result.ok());
                       if (!self)
                           return;
                       self->dismiss();
                       self->setInstalling(false);
                   });
}

} // namespace brevant
