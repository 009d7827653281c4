#pragma once

#include <QPointer>
#include <QWidget>

namespace brevant {

class DaemonClient;
class Sheet;
class StatusLine;
class ToolCard;
class ToolStatus;

// The Pro Tools section: a title card, the status line the tool dialogs report into, and six
// tool cards. Four open a dialog, one the mail catcher's page, one a terminal. The main window
// builds it afresh each time the section is selected, so the status line starts hidden.
class ProToolsView : public QWidget {
    Q_OBJECT
public:
    explicit ProToolsView(DaemonClient* client, QWidget* parent = nullptr);

    ToolStatus* status() const { return m_status; }
    StatusLine* statusLine() const { return m_statusLine; }
    // The cards in grid order: left to right, then top to bottom.
    const QList<ToolCard*>& cards() const { return m_cards; }
    // The dialog shown now, if any.
    Sheet* presentedSheet() const { return m_sheet.data(); }

    // The cards' actions. Each dialog is built fresh, so its fields start empty every time.
    void presentGitClone();
    void presentCMSInstall();
    void presentDNSEditor();
    void presentBackups();
    // Opens the mail catcher's web page; nothing for a port no address can carry.
    void openMailhog();
    // Writes the launch script and opens it in a terminal; silent whatever happens.
    void launchTerminal();

    // Where the launch script goes; tests point it into a folder of their own.
    void setTerminalScriptPath(const QString& path) { m_scriptPath = path; }

private:
    void addCard(const QString& icon, const QString& title, const QString& description, const QColor& tint,
                 void (ProToolsView::*action)());
    void present(Sheet* sheet);
    void statusChanged();

    QPointer<DaemonClient> m_client;
    ToolStatus* m_status;
    StatusLine* m_statusLine = nullptr;
    QList<ToolCard*> m_cards;
    QPointer<Sheet> m_sheet;
    QString m_scriptPath;
};

} // namespace brevant
