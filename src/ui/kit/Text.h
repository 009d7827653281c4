#pragma once

// Labels in the design's fonts and colours, so views do not set palettes by hand.

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

namespace brevant::text {

// A plain-text label in `font` and `color`.
QLabel* label(const QString& text, const QFont& font, const QColor& color, QWidget* parent = nullptr);
// Sets the colour a label, text field or text view draws its text in.
void setColor(QWidget* widget, const QColor& color);

} // namespace brevant::text
