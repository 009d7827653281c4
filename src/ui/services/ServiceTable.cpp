#include "ServiceTable.h"

#include "DesktopServices.h"
#include "ServiceRow.h"
#include "kit/Divider.h"
#include "kit/PaintedList.h"
#include "kit/Painting.h"
#include "kit/ServiceListModel.h"
#include "kit/Theme.h"

#include <QFontMetrics>
#include <QPainter>
#include <QUrl>
#include <QVBoxLayout>

namespace brevant {

namespace {

// The column titles, painted at the row's cell positions.
class TableHeader : public QWidget {
public:
    explicit TableHeader(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("serviceTableHeader"));
        setAccessibleName(QStringLiteral("Service, Status, Port, Actions"));
        setFixedHeight(QFontMetrics(font()).height() + 12);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    static QFont font() { return Theme::font(10, QFont::DemiBold); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Theme::withOpacity(Theme::primary(), 0.03));
        const QColor c = Theme::secondary();
        const double h = height();
        double x = ServiceRow::kSideMargin + ServiceRow::kDotCell + ServiceRow::kSpacing +
                   ServiceRow::kIconCell + ServiceRow::kSpacing;
        paint::text(p, QRectF(x, 0, ServiceRow::kNameCell, h), QStringLiteral("Service"), font(), c);
        x += ServiceRow::kNameCell + ServiceRow::kSpacing;
        paint::text(p, QRectF(x, 0, ServiceRow::kStateCell, h), QStringLiteral("Status"), font(), c);
        x += ServiceRow::kStateCell + ServiceRow::kSpacing;
        paint::text(p, QRectF(x, 0, ServiceRow::kPortCell, h), QStringLiteral("Port"), font(), c);
        const double right = width() - ServiceRow::kSideMargin;
        paint::text(p, QRectF(right - 200, 0, 200, h), QStringLiteral("Actions"), font(), c,
                    Qt::AlignRight | Qt::AlignVCenter);
    }
};

} // namespace

ServiceTable::ServiceTable(qint64 apachePort, QWidget* parent)
    : QWidget(parent), m_apachePort(apachePort), m_model(new ServiceListModel(this)),
      m_list(new PaintedListView(this)) {
    setObjectName(QStringLiteral("serviceTable"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(new TableHeader(this));
    outer->addWidget(new Divider(Qt::Horizontal, 0, this));

    m_list->setObjectName(QStringLiteral("serviceList"));
    m_list->setAccessibleName(QStringLiteral("Services"));
    m_list->setListMargins(4, 4);
    m_list->setRowDelegate(new ServiceRow(m_list));
    m_list->setModel(m_model);
    connect(m_list, &PaintedListView::actionTriggered, this, &ServiceTable::trigger);
    outer->addWidget(m_list, 1);
}

void ServiceTable::setServices(const QList<ServiceStatus>& services) {
    m_model->sync(services);
}

QString ServiceTable::adminUrl() const {
    return QStringLiteral("http://localhost:%1/phpmyadmin").arg(m_apachePort);
}

QStringList ServiceTable::buttonTitles(int row) const {
    QStringList titles;
    for (ServiceRow::Action a : ServiceRow::actions(m_model->service(row)))
        titles << ServiceRow::title(a);
    return titles;
}

void ServiceTable::trigger(const QModelIndex& index, int action) {
    // Each press sends its request at once: no busy state, a second click sends a second one.
    const ServiceStatus& s = m_model->service(index.row());
    switch (ServiceRow::actions(s).value(action)) {
    case ServiceRow::Action::Start:
        emit startRequested(s.name);
        break;
    case ServiceRow::Action::Stop:
        emit stopRequested(s.name);
        break;
    case ServiceRow::Action::Restart:
        emit restartRequested(s.name);
        break;
    case ServiceRow::Action::Logs:
        emit logsRequested(s.name);
        break;
    case ServiceRow::Action::Admin: {
        const QUrl url(adminUrl(), QUrl::StrictMode);
        if (url.isValid())
            desktopServices().openUrl(url);
        break;
    }
    }
}

} // namespace brevant
