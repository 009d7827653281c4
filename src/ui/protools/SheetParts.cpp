#include "SheetParts.h"

#include "kit/Button.h"
#include "kit/IconView.h"
#include "kit/Text.h"
#include "kit/Theme.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace brevant::sheet {

QHBoxLayout* header(const QString& icon, const QColor& tint, const QString& title, Button* button,
                    QWidget* parent) {
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(new IconView(icon, 15, tint, parent), 0, Qt::AlignVCenter);
    QLabel* heading = text::label(title, Theme::font(14, QFont::Bold), Theme::primary(), parent);
    heading->setObjectName(QStringLiteral("sheetTitle"));
    row->addWidget(heading, 0, Qt::AlignVCenter);
    row->addStretch(1);
    row->addWidget(button, 0, Qt::AlignVCenter);
    return row;
}

Button* smallButton(const QString& title, const QString& objectName, QWidget* parent) {
    auto* b = Button::compact(title, Button::Style::Bordered, 11, kSmallHeight, parent);
    b->setObjectName(objectName);
    return b;
}

QLineEdit* field(const QString& placeholder, const QString& accessibleName, const QString& objectName,
                 QWidget* parent) {
    auto* f = new QLineEdit(parent);
    f->setObjectName(objectName);
    f->setAccessibleName(accessibleName);
    f->setPlaceholderText(placeholder);
    f->setFont(Theme::font(11));
    f->setFixedHeight(kFieldHeight);
    // A long value scrolls inside the field; it never widens the dialog.
    f->setMinimumWidth(60);
    return f;
}

QVBoxLayout* labelled(const QString& label, QLineEdit* field, QWidget* parent) {
    auto* column = new QVBoxLayout;
    column->setSpacing(4);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(text::label(label, Theme::font(11, QFont::Medium), Theme::secondary(), parent));
    column->addWidget(field);
    return column;
}

QVBoxLayout* centredColumn(QWidget* dialog, const QSize& minimum, int spacing) {
    // A floor for the grid's one cell instead of a minimum size on the dialog, which would stop
    // the layout from raising it when the column grows.
    auto* outer = new QGridLayout(dialog);
    outer->setContentsMargins(20, 20, 20, 20);
    outer->setColumnMinimumWidth(0, minimum.width() - 40);
    outer->setRowMinimumHeight(0, minimum.height() - 40);
    auto* column = new QVBoxLayout;
    column->setSpacing(spacing);
    outer->addLayout(column, 0, 0, Qt::AlignVCenter);
    return column;
}

} // namespace brevant::sheet
