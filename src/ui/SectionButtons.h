#pragma once

// The button looks of the Projects and Settings sections, on plain QPushButtons so that they
// keep keyboard focus, accessibility and click() for the tests.

#include <QColor>
#include <QString>

class QPushButton;
class QWidget;

namespace brevant::buttons {

// Filled with `tint`, white label; `height` is the label's height.
QPushButton* prominent(const QString& text, const QColor& tint, double fontSize, int height,
                       QWidget* parent = nullptr);
// A light bezel with a hairline border.
QPushButton* bordered(const QString& text, double fontSize, int height, QWidget* parent = nullptr);
// Only the icon, no bezel.
QPushButton* plainIcon(const QString& iconName, double iconSize, const QColor& color,
                       QWidget* parent = nullptr);

// Puts a tinted icon before the label.
void setIcon(QPushButton* button, const QString& iconName, double iconSize, const QColor& color);

} // namespace brevant::buttons
