#pragma once

#include <QAbstractButton>

namespace brevant {

// The small coloured button of a service row: white title on a rounded fill at 85 % opacity,
// the hand cursor while the pointer is over it. Never disabled, no progress.
class ActionButton : public QAbstractButton {
    Q_OBJECT
public:
    ActionButton(const QString& title, const QColor& color, QWidget* parent = nullptr);

    const QColor& color() const { return m_color; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor m_color;
};

} // namespace brevant
