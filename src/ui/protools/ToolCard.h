#pragma once

#include <QAbstractButton>
#include <QColor>

namespace brevant {

// One tool of the tools panel, a card that is a button as a whole: the icon on a tinted tile,
// the title over "Click to open", a chevron, and the description in at most two lines.
class ToolCard : public QAbstractButton {
    Q_OBJECT
public:
    ToolCard(const QString& icon, const QString& title, const QString& description, const QColor& tint,
             QWidget* parent = nullptr);

    const QString& iconName() const { return m_icon; }
    const QString& description() const { return m_description; }
    const QColor& tint() const { return m_tint; }
    // The description as drawn at the card's width: one or two lines, the second elided.
    QStringList descriptionLines() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QStringList linesFor(int width) const;
    int topRowHeight() const;

    QString m_icon;
    QString m_description;
    QColor m_tint;
};

} // namespace brevant
