#pragma once

#include <QBasicTimer>
#include <QWidget>

namespace brevant {

// A small indeterminate progress spinner: twelve fading spokes. It animates only while visible,
// so a hidden spinner costs nothing.
class Spinner : public QWidget {
    Q_OBJECT
public:
    // `diameter` in device-independent pixels; `scale` shrinks the drawing about its centre.
    explicit Spinner(double diameter = 16, double scale = 1.0, QWidget* parent = nullptr);

    void setColor(const QColor& color);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;

private:
    double m_diameter;
    double m_scale;
    QColor m_color;
    int m_step = 0;
    QBasicTimer m_timer;
};

} // namespace brevant
