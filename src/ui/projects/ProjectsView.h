#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QStackedWidget;

namespace brevant {

class DaemonClient;
class NewProjectForm;
class PaintedListView;
class ProjectListModel;
class ProjectRowDelegate;

// The Projects section: header with the count and the "New Project" toggle, the inline form,
// and either the project list or the empty state. It loads the list once when built; the main
// window builds it afresh each time the section is selected.
class ProjectsView : public QWidget {
    Q_OBJECT
public:
    explicit ProjectsView(DaemonClient* client, QWidget* parent = nullptr);

    bool showingNewProject() const { return m_showingNewProject; }
    void setShowingNewProject(bool showing);

    ProjectListModel* model() const { return m_model; }
    ProjectRowDelegate* delegate() const { return m_delegate; }
    PaintedListView* list() const { return m_list; }
    NewProjectForm* form() const { return m_form; }

private:
    QWidget* buildHeader();
    QWidget* buildEmptyState();
    void projectsChanged();

    QPointer<DaemonClient> m_client;
    bool m_showingNewProject = false;
    QLabel* m_count = nullptr;
    NewProjectForm* m_form = nullptr;
    QWidget* m_formDivider = nullptr;
    QStackedWidget* m_body = nullptr;
    QWidget* m_emptyState = nullptr;
    PaintedListView* m_list = nullptr;
    ProjectListModel* m_model = nullptr;
    ProjectRowDelegate* m_delegate = nullptr;
};

} // namespace brevant
