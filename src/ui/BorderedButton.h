#pragma once

#include <QAbstractButton>

namespace brevant {

class Spinner;

// A bordered push button: prominent (filled with a tint, white label) or standard (control
// background with a hairline border). Optional leading icon, which a spinner replaces while busy.
class BorderedButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Style { Standard, Prominent };

    BorderedButton(const QString& title, Style style, QWidget* parent = nullptr);

    void setTint(const QColor& tint); // prominent fill; the accent colour when unset
    void setIcon(const QString& iconName, double size);
    void setTextFont(const QFont& font);
    void setBusy(bool busy); // shows the spinner in place of the icon
    bool isBusy() const { return m_busy; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    QRectF contentRect() const;

    Style m_style;
    QColor m_tint;
    QString m_icon;
    double m_iconSize = 0;
    QFont m_font;
    bool m_busy = false;
    Spinner* m_spinner = nullptr;
};

} // namespace brevant
