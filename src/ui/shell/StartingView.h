#pragma once

#include <QWidget>

namespace brevant {

// What a window shows until its first status refresh has finished: the product badge and a small
// spinner. It says nothing about the daemon, because nothing is known yet.
class StartingView : public QWidget {
    Q_OBJECT
public:
    explicit StartingView(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;
};

} // namespace brevant
