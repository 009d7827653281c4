#pragma once

#include "Models.h"
#include "kit/Sheet.h"

#include <QPointer>

class QLineEdit;

namespace brevant {

class Button;
class DaemonClient;
class HostListModel;
class PaintedListView;
class Spinner;

// Lists the hosts-file entries the daemon manages and adds new ones. It writes nothing to the
// panel's status line: a failed load shows an empty list, a failed addition changes nothing.
class DNSEditorSheet : public Sheet {
    Q_OBJECT
public:
    explicit DNSEditorSheet(DaemonClient* client, QWidget* parent = nullptr);

    const QList<DNSEntry>& entries() const;
    QString newIP() const;
    QString newHostname() const;
    bool isLoading() const { return m_isLoading; }
    HostListModel* model() const { return m_model; }
    PaintedListView* list() const { return m_list; }

    // Loads the entries again; shown means loaded once.
    void loadEntries();
    // The "Add" button's action: every click sends a request.
    void addEntry();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setLoading(bool loading);

    QPointer<DaemonClient> m_client;
    QLineEdit* m_ip;
    QLineEdit* m_hostname;
    Button* m_add;
    Spinner* m_spinner;
    PaintedListView* m_list;
    HostListModel* m_model;
    bool m_isLoading = true;
    bool m_started = false;
};

} // namespace brevant
