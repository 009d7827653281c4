#pragma once

#include <QAbstractButton>

namespace brevant {

// A switch-style toggle, small control size: its label, then the track with the knob.
class ToggleSwitch : public QAbstractButton {
    Q_OBJECT
public:
    explicit ToggleSwitch(const QString& label, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
};

} // namespace brevant
