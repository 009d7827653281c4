#include "ServiceTable.h"

#include "kit/Divider.h"
#include "kit/Painting.h"
#include "kit/Theme.h"

#include <QFontMetrics>
#include <QPainter>
#include <QScrollArea>
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

ServiceTable::ServiceTable(ActionsFor actionsFor, qint64 apachePort, QWidget* parent)
    : QWidget(parent), m_actionsFor(std::move(actionsFor)), m_apachePort(apachePort) {
    setObjectName(QStringLiteral("serviceTable"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(new TableHeader(this));
    outer->addWidget(new Divider(Qt::Horizontal, 0, this));

    auto* scroll = new QScrollArea(this);
    // Only a frame for what it holds: Tab goes to the controls inside, never to the frame itself.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setObjectName(QStringLiteral("serviceTableScroll"));
    scroll->setAccessibleName(QStringLiteral("Services"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    auto* content = new QWidget(scroll);
    paint::setOpaqueBackground(content, Theme::windowBackground());
    m_column = new QVBoxLayout(content);
    m_column->setContentsMargins(0, 4, 0, 4);
    m_column->setSpacing(0);
    m_column->addStretch(1);
    scroll->setWidget(content);
    outer->addWidget(scroll, 1);
}

void ServiceTable::setServices(const QList<ServiceStatus>& services) {
    bool sameNames = services.size() == m_rows.size();
    for (qsizetype i = 0; sameNames && i < services.size(); ++i)
        sameNames = services[i].name == m_rows[i]->service().name;
    if (!sameNames) {
        rebuild(services);
        return;
    }
    for (qsizetype i = 0; i < services.size(); ++i)
        m_rows[i]->setService(services[i]);
}

void ServiceTable::setApachePort(qint64 port) {
    m_apachePort = port;
    for (ServiceRow* row : m_rows)
        row->setApachePort(port);
}

void ServiceTable::rebuild(const QList<ServiceStatus>& services) {
    for (ServiceRow* row : m_rows) {
        row->hide();
        row->deleteLater(); // its own button may be mid-click
    }
    qDeleteAll(m_dividers);
    m_rows.clear();
    m_dividers.clear();
    QWidget* content = m_column->parentWidget();
    int at = 0;
    for (qsizetype i = 0; i < services.size(); ++i) {
        const ServiceStatus& s = services[i];
        auto* row = new ServiceRow(s, m_actionsFor(s.name), m_apachePort, content);
        paint::setOpaqueBackground(row, Theme::windowBackground());
        m_column->insertWidget(at++, row);
        m_rows.push_back(row);
        // No divider under the row of the last service's name.
        if (s.name != services.back().name) {
            auto* d = new Divider(Qt::Horizontal, ServiceRow::kSideMargin, content);
            m_column->insertWidget(at++, d);
            m_dividers.push_back(d);
        }
    }
}

} // namespace brevant
