#pragma once

#include <QWidget>

#include <optional>

class QLabel;

namespace brevant {

class Button;
class IconView;

// A one-line outcome: a check mark and the message in green on a faint green fill, or an
// exclamation mark and the message in red on a faint red fill, and a close button. It shows what
// its owner tells it; the close button only asks the owner to clear the message.
class StatusLine : public QWidget {
    Q_OBJECT
public:
    explicit StatusLine(QWidget* parent = nullptr);

    // An absent message hides the line; a present one, even empty, shows it.
    void setStatus(const std::optional<QString>& message, bool isError);
    QString message() const;
    bool isError() const { return m_isError; }
    Button* closeButton() const { return m_close; }

signals:
    void closeRequested();

protected:
    void paintEvent(QPaintEvent*) override;

private:
    IconView* m_icon;
    QLabel* m_text;
    Button* m_close;
    bool m_isError = false;
};

} // namespace brevant
