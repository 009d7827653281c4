#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace brevant {

// The tools panel's one-line outcome, shared with the dialogs that report into it. It lives as
// long as the panel: a request that ends after its dialog closed still finds it, and one that ends
// after the panel was rebuilt finds it gone and is dropped.
class ToolStatus : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The line's text; absent hides the line.
    const std::optional<QString>& statusMessage() const { return m_statusMessage; }
    // The failure look instead of the success look.
    bool isError() const { return m_isError; }

    // A dialog's outcome: both at once.
    void report(const QString& message, bool isError);
    // The close button: hides the line and leaves the look as it was.
    void clearMessage();

signals:
    void changed();

private:
    std::optional<QString> m_statusMessage;
    bool m_isError = false;
};

} // namespace brevant
