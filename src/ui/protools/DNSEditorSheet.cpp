#include "DNSEditorSheet.h"

#include "DaemonClient.h"
#include "HostListModel.h"
#include "HostRowDelegate.h"
#include "SheetParts.h"
#include "kit/Button.h"
#include "kit/Divider.h"
#include "kit/PaintedList.h"
#include "kit/Spinner.h"
#include "kit/Theme.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace brevant {

DNSEditorSheet::DNSEditorSheet(DaemonClient* client, QWidget* parent) : Sheet(parent), m_client(client) {
    setObjectName(QStringLiteral("dnsEditorSheet"));
    setWindowTitle(QStringLiteral("DNS / Hosts Editor"));
    setAccessibleName(QStringLiteral("DNS / Hosts Editor"));

    Button* done = sheet::smallButton(QStringLiteral("Done"), QStringLiteral("doneButton"), this);
    m_ip = sheet::field(QStringLiteral("127.0.0.1"), QStringLiteral("IP Address"), QStringLiteral("ipField"),
                        this);
    m_ip->setText(QStringLiteral("127.0.0.1"));
    m_ip->setFixedWidth(110);
    m_hostname = sheet::field(QStringLiteral("mysite.local"), QStringLiteral("Hostname"),
                              QStringLiteral("hostnameField"), this);
    m_add = Button::compact(QStringLiteral("Add"), Button::Style::Prominent, 11, sheet::kFieldHeight, this);
    m_add->setObjectName(QStringLiteral("addButton"));

    auto* addRow = new QHBoxLayout;
    addRow->setSpacing(8);
    addRow->addWidget(m_ip, 0, Qt::AlignVCenter);
    addRow->addWidget(m_hostname, 1, Qt::AlignVCenter);
    addRow->addWidget(m_add, 0, Qt::AlignVCenter);

    m_spinner = new Spinner(16, 1.0, this);
    m_spinner->setObjectName(QStringLiteral("loadingSpinner"));
    m_model = new HostListModel(this);
    m_list = new PaintedListView(this);
    m_list->setObjectName(QStringLiteral("hostList"));
    m_list->setAccessibleName(QStringLiteral("Hosts entries"));
    m_list->setRowDelegate(new HostRowDelegate(m_list));
    m_list->setModel(m_model);
    m_list->setFixedHeight(sheet::kListHeight);

    QVBoxLayout* column = sheet::centredColumn(this, QSize(480, 350), 12);
    column->addLayout(sheet::header(QStringLiteral("globe"), Theme::cyan(),
                                    QStringLiteral("DNS / Hosts Editor"), done, this));
    column->addLayout(addRow);
    column->addWidget(new Divider(Qt::Horizontal, 0, this));
    column->addWidget(m_spinner, 0, Qt::AlignHCenter);
    column->addWidget(m_list);

    connect(done, &QAbstractButton::clicked, this, &Sheet::dismiss);
    connect(m_hostname, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_add->setEnabled(!text.isEmpty()); });
    connect(m_add, &QAbstractButton::clicked, this, &DNSEditorSheet::addEntry);
    m_add->setEnabled(false);
    setLoading(true);
    m_ip->setFocus();
}

const QList<DNSEntry>& DNSEditorSheet::entries() const {
    return m_model->items();
}

QString DNSEditorSheet::newIP() const {
    return m_ip->text();
}

QString DNSEditorSheet::newHostname() const {
    return m_hostname->text();
}

void DNSEditorSheet::showEvent(QShowEvent* event) {
    Sheet::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    loadEntries();
}

void DNSEditorSheet::setLoading(bool loading) {
    m_isLoading = loading;
    m_spinner->setVisible(loading);
    m_list->setVisible(!loading);
}

void DNSEditorSheet::loadEntries() {
    setLoading(true);
    if (!m_client) {
        m_model->sync({});
        setLoading(false);
        return;
    }
    // A failed load reads as no entries.
    QCoro::connect(m_client->fetchDNS(), this, [this](const Result<QList<DNSEntry>>& result) {
        m_model->sync(result ? result.value() : QList<DNSEntry>());
        setLoading(false);
    });
}

void DNSEditorSheet::addEntry() {
    if (!m_client || m_hostname->text().isEmpty())
        return;
    // Both as typed: the daemon judges them. A failure changes nothing on screen.
    QCoro::connect(m_client->addDNS(m_ip->text(), m_hostname->text()), this,
                   [this](const Result<ProActionResult>& result) {
                       if (!result)
                           return;
                       // The emptied field disables "Add", which would hand the focus to "Done":
                       // a keyboard user goes on in the field instead, ready for the next name.
                       const bool addHadFocus = m_add->hasFocus();
                       m_hostname->clear();
                       if (addHadFocus)
                           m_hostname->setFocus(Qt::OtherFocusReason);
                       loadEntries();
                   });
}

} // namespace brevant
