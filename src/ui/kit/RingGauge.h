#pragma once

#include <QBasicTimer>
#include <QColor>
#include <QElapsedTimer>
#include <QPixmap>
#include <QWidget>

namespace brevant {

// A 72 × 72 ring: a faint track, an arc from the top running clockwise for min(value, 100) %,
// and the value as "42%" in the middle. A new value moves the arc with a 0.6 s ease-in-out.
// The track and the number change only with the value, so an animation frame draws them from a
// picture and strokes nothing but the arc: stroking the whole track anew each frame cost about
// fifteen times the rest. Each frame still costs the window a repaint and a trip to the display
// server, so the arc moves at kFrameMs steps rather than the display's rate.
class RingGauge : public QWidget {
    Q_OBJECT
public:
    explicit RingGauge(const QColor& color, QWidget* parent = nullptr);

    void setValue(int value);
    int value() const { return m_value; }
    // The part of the ring the arc covers now, 0..1 (moves during the animation).
    double shownFraction() const { return m_fraction; }
    QString valueText() const { return QString::number(m_value) + QLatin1Char('%'); }

    bool isAnimating() const { return m_frames.isActive(); }

    static constexpr int kDiameter = 72;
    static constexpr double kLineWidth = 8;
    static constexpr int kAnimationMs = 600;
    static constexpr int kFrameMs = 33;

protected:
    void paintEvent(QPaintEvent*) override;
    void changeEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    static double fractionFor(int value);
    // The background, the track and the value text at the given device pixel ratio.
    QPixmap renderFace(qreal devicePixelRatio);

    QColor m_color;
    QPixmap m_track; // the track alone, on transparent
    QPixmap m_face;  // background, track and number; null when it must be drawn again
    int m_value = 0;
    double m_fraction = 0;
    // The animation: from m_from to m_to, started at m_clock, one frame per m_frames tick.
    double m_from = 0;
    double m_to = 0;
    double m_paintedFraction = 0; // what the last frame showed
    QElapsedTimer m_clock;
    QBasicTimer m_frames;
};

} // namespace brevant
