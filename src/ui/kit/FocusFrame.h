#pragma once

#include <QObject>

class QFocusFrame;
class QWidget;

namespace brevant {

// Gives a widget that cannot draw one itself (a text view: its viewport covers its frame) the
// kit's focus ring, on a frame laid over it while it has the keyboard focus.
class FocusFrame : public QObject {
    Q_OBJECT
public:
    explicit FocusFrame(QWidget* target);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_target;
    QFocusFrame* m_frame;
};

} // namespace brevant
