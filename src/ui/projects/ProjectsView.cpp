#include "ProjectsView.h"

#include "DaemonClient.h"
#include "NewProjectForm.h"
#include "ProjectListModel.h"
#include "ProjectRowDelegate.h"
#include "TextRules.h"
#include "kit/Button.h"
#include "kit/Divider.h"
#include "kit/IconView.h"
#include "kit/PaintedList.h"
#include "kit/Painting.h"
#include "kit/Text.h"
#include "kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace brevant {

ProjectsView::ProjectsView(DaemonClient* client, QWidget* parent) : QWidget(parent), m_client(client) {
    setObjectName(QStringLiteral("projectsView"));
    setAccessibleName(QStringLiteral("Projects"));

    // Built top to bottom, which is also the order Tab follows.
    QWidget* header = buildHeader();
    m_form = new NewProjectForm(client, this);
    m_form->hide();
    m_formDivider = new Divider(Qt::Horizontal, 0, this);
    m_formDivider->hide();
    connect(m_form, &NewProjectForm::closeRequested, this, [this] { setShowingNewProject(false); });

    m_model = new ProjectListModel(client, this);
    m_list = new PaintedListView(this);
    m_list->setListMargins(4, 4);
    m_list->setObjectName(QStringLiteral("projectList"));
    m_list->setAccessibleName(QStringLiteral("Projects"));
    m_delegate = new ProjectRowDelegate(m_list);
    m_list->setRowDelegate(m_delegate);
    m_list->setModel(m_model);
    connect(m_list, &PaintedListView::actionTriggered, this, [this](const QModelIndex& index) {
        // No confirmation and no busy state: the row goes when the client's list changes.
        if (m_client)
            m_client->deleteProject(index.data(ProjectListModel::IdRole).toString());
    });

    m_emptyState = buildEmptyState();
    m_body = new QStackedWidget(this);
    m_body->addWidget(m_emptyState);
    m_body->addWidget(m_list);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(header);
    column->addWidget(new Divider(Qt::Horizontal, 0, this));
    column->addWidget(m_form);
    column->addWidget(m_formDivider);
    column->addWidget(m_body, 1);

    if (client)
        connect(client, &DaemonClient::projectsChanged, this, &ProjectsView::projectsChanged);
    projectsChanged();
    // Shown means loaded afresh; until the reply, whatever the client already holds.
    if (client)
        client->fetchProjects();
}

QWidget* ProjectsView::buildHeader() {
    auto* header = new QWidget(this);
    header->setObjectName(QStringLiteral("projectsHeader"));
    paint::setOpaqueBackground(header, Theme::windowBackground());

    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(
        text::label(QStringLiteral("Projects"), Theme::font(14, QFont::Bold), Theme::primary(), header));
    m_count = text::label(QString(), Theme::font(11), Theme::secondary(), header);
    m_count->setObjectName(QStringLiteral("countLabel"));
    titles->addWidget(m_count);

    auto* button = Button::compact(QStringLiteral("New Project"), Button::Style::Prominent, 12, 26, header);
    button->setTint(Theme::blue());
    button->setObjectName(QStringLiteral("newProjectButton"));
    button->setIcon(QStringLiteral("plus"), 10);
    connect(button, &QAbstractButton::clicked, this, [this] { setShowingNewProject(!m_showingNewProject); });

    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(16, 12, 16, 12);
    row->addLayout(titles);
    row->addStretch(1);
    row->addWidget(button, 0, Qt::AlignVCenter);
    return header;
}

QWidget* ProjectsView::buildEmptyState() {
    auto* empty = new QWidget(this);
    empty->setObjectName(QStringLiteral("emptyState"));
    auto* icon = new IconView(QStringLiteral("folder.badge.plus"), 32, Theme::secondary(), empty);
    auto* button = Button::compact(QStringLiteral("New Project"), Button::Style::Prominent, 11, 22, empty);
    button->setObjectName(QStringLiteral("emptyNewProjectButton"));
    // Opens the form; it never closes it.
    connect(button, &QAbstractButton::clicked, this, [this] { setShowingNewProject(true); });

    auto* column = new QVBoxLayout(empty);
    column->setSpacing(12);
    column->addStretch(1);
    column->addWidget(icon, 0, Qt::AlignHCenter);
    column->addWidget(text::label(QStringLiteral("No projects yet"), Theme::font(13, QFont::Bold),
                                  Theme::secondary(), empty),
                      0, Qt::AlignHCenter);
    column->addWidget(text::label(QStringLiteral("Create a virtual host to start developing"),
                                  Theme::font(11), Theme::secondary(), empty),
                      0, Qt::AlignHCenter);
    column->addWidget(button, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return empty;
}

void ProjectsView::setShowingNewProject(bool showing) {
    if (m_showingNewProject == showing)
        return;
    m_showingNewProject = showing;
    m_form->setVisible(showing);
    m_formDivider->setVisible(showing);
}

void ProjectsView::projectsChanged() {
    const qsizetype count = m_client ? m_client->projects().size() : 0;
    m_count->setText(virtualHostCountText(count));
    m_body->setCurrentWidget(count > 0 ? static_cast<QWidget*>(m_list) : m_emptyState);
}

} // namespace brevant
