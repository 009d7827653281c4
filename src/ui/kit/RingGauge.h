#pragma once

#include <QColor>
#include <QPixmap>
#include <QVariantAnimation>
#include <QWidget>

namespace brevant {

// A 72 × 72 ring: a faint track, an arc from the top running clockwise for min(value, 100) %,
// and the value as "42%" in the middle. A new value moves the arc with a 0.6 s ease-in-out.
// The track and the number change only with the value, so an animation frame draws them from a
// picture and strokes nothing but the arc: stroking the whole track anew each frame cost about
// fifteen times the rest.
class RingGauge : public QWidget {
    Q_OBJECT
public:
    explicit RingGauge(const QColor& color, QWidget* parent = nullptr);

    void setValue(int value);
    int value() const { return m_value; }
    // The part of the ring the arc covers now, 0..1 (moves during the animation).
    double shownFraction() const { return m_fraction; }
    QString valueText() const { return QString::number(m_value) + QLatin1Char('%'); }

    static constexpr int kDiameter = 72;
    static constexpr double kLineWidth = 8;

protected:
    void paintEvent(QPaintEvent*) override;
    void changeEvent(QEvent* event) override;

private:
    static double fractionFor(int value);
    // The background, the track and the value text at the given device pixel ratio.
    QPixmap renderFace(qreal devicePixelRatio) const;

    QColor m_color;
    QPixmap m_face; // null when it must be drawn again
    int m_value = 0;
    double m_fraction = 0;
    QVariantAnimation m_animation;
};

} // namespace brevant
