#pragma once

#include <QWidget>

namespace brevant {

class RingGauge;

// One gauge of the strip: the ring, then the label, the detail and the sub-detail line.
class GaugeView : public QWidget {
    Q_OBJECT
public:
    GaugeView(const QString& label, const QColor& color, QWidget* parent = nullptr);

    // Repaints only the lines that differ from what is shown (a new value moves the ring).
    void setFigures(int value, const QString& detail, const QString& subDetail);

    const QString& label() const { return m_label; }
    const QString& detail() const { return m_detail; }
    const QString& subDetail() const { return m_subDetail; }
    RingGauge* ring() const { return m_ring; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent*) override;

private:
    // Line 0 the label, 1 the detail, 2 the sub-detail.
    QRect lineRect(int line) const;

    QString m_label;
    QString m_detail;
    QString m_subDetail;
    RingGauge* m_ring;
};

} // namespace brevant
