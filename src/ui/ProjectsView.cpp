#include "ProjectsView.h"

#include "DaemonClient.h"
#include "Icons.h"
#include "NewProjectForm.h"
#include "ProjectListModel.h"
#include "ProjectRowDelegate.h"
#include "SectionButtons.h"
#include "TextRules.h"
#include "Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace brevant {

namespace {
QLabel* label(const QString& text, const QFont& font, const QColor& color, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setFont(font);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, color);
    l->setPalette(pal);
    return l;
}

// The list's 4 px above the first row and below the last are viewport margins.
class PaddedListView : public QListView {
public:
    using QListView::QListView;
    using QListView::setViewportMargins;
};

QWidget* divider(QWidget* parent) {
    auto* line = new QWidget(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette pal = line->palette();
    pal.setColor(QPalette::Window, Theme::separator());
    line->setPalette(pal);
    return line;
}
} // namespace

ProjectsView::ProjectsView(DaemonClient* client, QWidget* parent) : QWidget(parent), m_client(client) {
    setObjectName(QStringLiteral("projectsView"));
    setAccessibleName(QStringLiteral("Projects"));

    m_form = new NewProjectForm(client, this);
    m_form->hide();
    m_formDivider = divider(this);
    m_formDivider->hide();
    connect(m_form, &NewProjectForm::closeRequested, this, [this] { setShowingNewProject(false); });

    m_model = new ProjectListModel(client, this);
    auto* list = new PaddedListView(this);
    list->setViewportMargins(0, 4, 0, 4);
    m_list = list;
    m_list->setObjectName(QStringLiteral("projectList"));
    m_list->setAccessibleName(QStringLiteral("Projects"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Every row is the same height, which keeps layout and scrolling constant-time at any count.
    m_list->setUniformItemSizes(true);
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setAttribute(Qt::WA_TranslucentBackground);
    m_list->setStyleSheet(QStringLiteral("QListView { background: transparent; }"));
    m_delegate = new ProjectRowDelegate(m_list);
    m_list->setItemDelegate(m_delegate);
    m_list->setModel(m_model);
    for (auto signal : {&QAbstractItemModel::rowsRemoved, &QAbstractItemModel::rowsInserted})
        connect(m_model, signal, m_delegate, &ProjectRowDelegate::refreshHover);
    connect(m_model, &QAbstractItemModel::modelReset, m_delegate, &ProjectRowDelegate::refreshHover);
    connect(m_delegate, &ProjectRowDelegate::deleteRequested, this, [this](const QString& id) {
        // No confirmation and no busy state: the row goes when the client's list changes.
        if (m_client)
            m_client->deleteProject(id);
    });

    m_emptyState = buildEmptyState();
    m_body = new QStackedWidget(this);
    m_body->addWidget(m_emptyState);
    m_body->addWidget(m_list);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildHeader());
    column->addWidget(divider(this));
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
    header->setAutoFillBackground(true);
    QPalette pal = header->palette();
    pal.setColor(QPalette::Window, Theme::windowBackground());
    header->setPalette(pal);

    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(
        label(QStringLiteral("Projects"), Theme::font(14, QFont::Bold), Theme::primary(), header));
    m_count = label(QString(), Theme::font(11), Theme::secondary(), header);
    m_count->setObjectName(QStringLiteral("countLabel"));
    titles->addWidget(m_count);

    auto* button = buttons::prominent(QStringLiteral("New Project"), Theme::blue(), 12, 26, header);
    button->setObjectName(QStringLiteral("newProjectButton"));
    buttons::setIcon(button, QStringLiteral("plus"), 10, Theme::white());
    connect(button, &QPushButton::clicked, this, [this] { setShowingNewProject(!m_showingNewProject); });

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
    auto* icon = new QLabel(empty);
    icon->setPixmap(
        Icons::pixmap(QStringLiteral("folder.badge.plus"), 32, Theme::secondary(), devicePixelRatioF()));
    auto* button = buttons::prominent(QStringLiteral("New Project"), Theme::accent(), 11, 22, empty);
    button->setObjectName(QStringLiteral("emptyNewProjectButton"));
    // Opens the form; it never closes it.
    connect(button, &QPushButton::clicked, this, [this] { setShowingNewProject(true); });

    auto* column = new QVBoxLayout(empty);
    column->setSpacing(12);
    column->addStretch(1);
    column->addWidget(icon, 0, Qt::AlignHCenter);
    column->addWidget(
        label(QStringLiteral("No projects yet"), Theme::font(13, QFont::Bold), Theme::secondary(), empty), 0,
        Qt::AlignHCenter);
    column->addWidget(label(QStringLiteral("Create a virtual host to start developing"), Theme::font(11),
                            Theme::secondary(), empty),
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
