#include "Sheet.h"

#include <QKeyEvent>

namespace brevant {

Sheet::Sheet(QWidget* parent, Escape escape) : QDialog(parent), m_escape(escape) {
    setWindowModality(Qt::WindowModal);
#ifdef Q_OS_MACOS
    setWindowFlag(Qt::Sheet);
#endif
}

void Sheet::present() {
    connect(this, &QDialog::finished, this, &QObject::deleteLater, Qt::UniqueConnection);
    open();
}

void Sheet::dismiss() {
    reject();
}

void Sheet::done(int result) {
    QDialog::done(result);
    if (m_dismissed)
        return;
    m_dismissed = true;
    emit dismissed();
}

void Sheet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && m_escape == Escape::Ignored) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace brevant
