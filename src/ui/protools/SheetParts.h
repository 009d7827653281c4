#pragma once

// The pieces the tool dialogs share: their header row, their small text fields with a label
// above, and the sizes of the desktop's small and regular controls.

#include <QColor>
#include <QString>

class QHBoxLayout;
class QLineEdit;
class QSize;
class QVBoxLayout;
class QWidget;

namespace brevant {

class Button;

namespace sheet {

constexpr int kSmallHeight = 20;   // a small button
constexpr int kFieldHeight = 22;   // a small text field
constexpr int kRegularHeight = 26; // a regular button

// Icon, title, flexible space and a small bordered button (Cancel or Done), in a row.
QHBoxLayout* header(const QString& icon, const QColor& tint, const QString& title, Button* button,
                    QWidget* parent);
// A small bordered button with `title`, as the headers use.
Button* smallButton(const QString& title, const QString& objectName, QWidget* parent);
// A small text field; `accessibleName` is its label, or what it holds when it has none.
QLineEdit* field(const QString& placeholder, const QString& accessibleName, const QString& objectName,
                 QWidget* parent);
// A label in the secondary colour over `field`, 4 apart.
QVBoxLayout* labelled(const QString& label, QLineEdit* field, QWidget* parent);

// The column of a dialog at least `minimum` large, padded 20 and centred in it; the dialog grows
// with it, never cutting it off.
QVBoxLayout* centredColumn(QWidget* dialog, const QSize& minimum, int spacing);

// The dialogs' lists: a scroll area takes its whole height, 250, whatever it holds.
constexpr int kListHeight = 250;

} // namespace sheet
} // namespace brevant
