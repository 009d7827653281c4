#pragma once

#include <QAbstractButton>

namespace brevant {

// One choice of the CMS installer: its lettered icon over its label, blue with a blue outline
// while selected. Checkable; the dialog keeps the choices exclusive.
class CMSTile : public QAbstractButton {
    Q_OBJECT
public:
    CMSTile(const QString& id, const QString& label, const QString& icon, QWidget* parent = nullptr);

    const QString& id() const { return m_id; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_id;
    QString m_icon;
};

} // namespace brevant
