#pragma once

#include <QDialog>

namespace brevant {

// Name, version, the project's licence, and the licences of the bundled icons and fonts.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(const QString& version, QWidget* parent = nullptr);

    // The project's licence, then the bundled ones, one block each, headed by its name.
    static QString licences();
};

} // namespace brevant
