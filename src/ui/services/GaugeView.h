#pragma once

#include <QWidget>

namespace brevant {

class RingGauge;

// One gauge of the strip: the ring, then the label, the detail and the sub-detail line.
class GaugeView : public QWidget {
    Q_OBJECT
public:
    GaugeView(const QString& label, const QColor& color, QWidget* parent = nullptr);

    // Repaints only what differs from what is shown.
    void setFigures(int value, const QString& detail, const QString& subDetail);

    const QString& label() const { return m_label; }
    const QString& detail() const { return m_detail; }
    const QString& subDetail() const { return m_subDetail; }
    RingGauge* ring() const { return m_ring; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    QString m_label;
    QString m_detail;
    QString m_subDetail;
    RingGauge* m_ring;
};

} // namespace brevant
