#include "StartingView.h"

#include "SidebarParts.h"
#include "kit/Spinner.h"

#include <QPainter>
#include <QVBoxLayout>

namespace brevant {

namespace {
constexpr int kBadge = 48;
} // namespace

StartingView::StartingView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("startingView"));
    setAccessibleName(QStringLiteral("Connecting to the daemon"));
    auto* column = new QVBoxLayout(this);
    column->addStretch(1);
    column->addSpacing(kBadge + 16);
    auto* spinner = new Spinner(16, 1.0, this);
    column->addWidget(spinner, 0, Qt::AlignHCenter);
    column->addStretch(1);
}

void StartingView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // The badge sits above the spinner, both centred as one group.
    const double groupHeight = kBadge + 16 + 16;
    const QRectF badge((width() - kBadge) / 2.0, (height() - groupHeight) / 2.0, kBadge, kBadge);
    sidebar::paintBadge(p, badge);
}

} // namespace brevant
