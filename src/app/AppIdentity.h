#pragma once

#include <QIcon>
#include <QString>

namespace brevant::identity {

// The desktop entry's name without ".desktop": taskbars and docks match windows to the entry by it.
inline constexpr char kDesktopFileName[] = "dev.kelvask.brevant";

// The application badge, the same picture as the installed icon.
QIcon icon();

// The project's licence text.
QString licence();

} // namespace brevant::identity
