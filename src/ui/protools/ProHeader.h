#pragma once

#include <QWidget>

namespace brevant {

// The tools panel's title card: "Pro Tools" on a faint green card with a green outline.
class ProHeader : public QWidget {
    Q_OBJECT
public:
    explicit ProHeader(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;
};

} // namespace brevant
