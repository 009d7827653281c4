#include "FocusFrame.h"

#include <QEvent>
#include <QFocusFrame>

namespace brevant {

FocusFrame::FocusFrame(QWidget* target)
    : QObject(target), m_target(target), m_frame(new QFocusFrame(target->parentWidget())) {
    m_frame->hide();
    target->installEventFilter(this);
}

bool FocusFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_target && event->type() == QEvent::FocusIn)
        m_frame->setWidget(m_target);
    else if (watched == m_target && event->type() == QEvent::FocusOut)
        m_frame->setWidget(nullptr);
    return false;
}

} // namespace brevant
