#pragma once

#include <QDialog>

namespace brevant {

// A window-modal dialog attached to its parent window (a sheet on macOS). present() shows it and
// deletes it once it has closed; dismiss() is the sheet's own close action. Escape closes it
// unless the sheet says otherwise; closing the window always does.
class Sheet : public QDialog {
    Q_OBJECT
public:
    enum class Escape { Closes, Ignored };

    explicit Sheet(QWidget* parent, Escape escape = Escape::Closes);

    // Opens the sheet window-modally; once closed, by any route, it goes away by itself.
    void present();
    // Closes the sheet, as its Done, Cancel or Close button does.
    void dismiss();
    bool isDismissed() const { return m_dismissed; }

signals:
    // The sheet closed (its flag returns to false); sent once.
    void dismissed();

protected:
    void done(int result) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Escape m_escape;
    bool m_dismissed = false;
};

} // namespace brevant
