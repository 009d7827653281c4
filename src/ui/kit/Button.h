#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>

namespace brevant {

class Spinner;

// The one push button of the views, painted in the design's looks:
// - Bordered: control background, hairline border, primary label;
// - Prominent: filled with a tint (the accent colour when unset), white label;
// - Plain: no bezel, the label (or icon) in the tint, primary when unset.
// An optional leading icon, which a spinner replaces while busy. Tab reaches it, Space and
// Return press it, and it draws the kit's focus ring while it has the keyboard focus.
class Button : public QAbstractButton {
    Q_OBJECT
public:
    enum class Style { Bordered, Prominent, Plain };

    Button(const QString& title, Style style, QWidget* parent = nullptr);

    // The small coloured button of a service row: 85 % of `color`, white title, hand cursor.
    static Button* action(const QString& title, const QColor& color, QWidget* parent = nullptr);
    // A button `height` high with its title at `fontSize` (medium weight when prominent), as the
    // sections' headers, forms and rows use them.
    static Button* compact(const QString& title, Style style, double fontSize, int height,
                           QWidget* parent = nullptr);
    // Only an icon, no bezel; `accessibleName` says what it does.
    static Button* icon(const QString& iconName, double size, const QColor& color,
                        const QString& accessibleName, QWidget* parent = nullptr);

    Style style() const { return m_style; }
    // A new title, also as the accessible name; the spinner moves along with it.
    void setTitle(const QString& title);
    void setTint(const QColor& tint);
    const QColor& tint() const { return m_tint; }
    void setIcon(const QString& iconName, double size);
    const QString& iconName() const { return m_icon; }
    void setTextFont(const QFont& font);
    void setCornerRadius(double radius);
    // Horizontal room on each side of the content.
    void setHorizontalPadding(int padding);
    // Shows the spinner in place of the icon (or of a title without icon, keeping the width).
    void setBusy(bool busy);
    bool isBusy() const { return m_busy; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRectF contentRect() const;
    double leadingWidth() const;

    Style m_style;
    QColor m_tint;
    QString m_icon;
    double m_iconSize = 0;
    QFont m_font;
    double m_radius = 6;
    int m_padding = 10;
    bool m_busy = false;
    Spinner* m_spinner = nullptr;
};

} // namespace brevant
