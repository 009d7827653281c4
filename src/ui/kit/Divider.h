#pragma once

#include <QWidget>

namespace brevant {

// A hairline separator, horizontal or vertical, inset from both ends.
class Divider : public QWidget {
    Q_OBJECT
public:
    explicit Divider(Qt::Orientation orientation = Qt::Horizontal, int inset = 0, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    Qt::Orientation m_orientation;
    int m_inset;
};

} // namespace brevant
