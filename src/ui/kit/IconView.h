#pragma once

#include <QColor>
#include <QWidget>

namespace brevant {

// One tinted icon, drawn at the screen's pixel density whenever it paints, so it stays sharp at
// any scale factor and on a window moved between screens.
class IconView : public QWidget {
    Q_OBJECT
public:
    IconView(const QString& name, double size, const QColor& color, QWidget* parent = nullptr);

    void setIcon(const QString& name, const QColor& color);
    const QString& iconName() const { return m_name; }
    const QColor& color() const { return m_color; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString m_name;
    double m_size;
    QColor m_color;
};

} // namespace brevant
