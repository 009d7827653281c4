#include "ToolStatus.h"

namespace brevant {

void ToolStatus::report(const QString& message, bool isError) {
    m_statusMessage = message;
    m_isError = isError;
    emit changed();
}

void ToolStatus::clearMessage() {
    m_statusMessage.reset();
    emit changed();
}

} // namespace brevant
