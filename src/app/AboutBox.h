#pragma once

#include <QDialog>

namespace brevant {

// Name, version, and the licences of the bundled icons and fonts.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(const QString& version, QWidget* parent = nullptr);

    // The bundled licence texts, one block per package, headed by its name.
    static QString licences();
};

} // namespace brevant
