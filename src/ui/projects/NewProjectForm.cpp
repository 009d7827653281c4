#include "NewProjectForm.h"

#include "DaemonClient.h"
#include "kit/Button.h"
#include "kit/Text.h"
#include "kit/Theme.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

namespace brevant {

namespace {
constexpr int kControlHeight = 22;

QVBoxLayout* labelled(const QString& label, QWidget* control, QWidget* parent) {
    auto* column = new QVBoxLayout;
    column->setSpacing(3);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(text::label(label, Theme::font(10, QFont::Medium), Theme::secondary(), parent));
    column->addWidget(control);
    return column;
}

QLineEdit* textField(const QString& placeholder, const QString& name, QWidget* parent) {
    auto* f = new QLineEdit(parent);
    f->setObjectName(name);
    f->setAccessibleName(name == QLatin1StringView("nameField") ? QStringLiteral("Name")
                                                                : QStringLiteral("Domain"));
    f->setPlaceholderText(placeholder);
    f->setFont(Theme::font(11));
    f->setFixedHeight(kControlHeight);
    // A long value scrolls inside the field; it never asks for more width.
    f->setMinimumWidth(60);
    return f;
}

QComboBox* choice(const QString& name, const QString& accessible,
                  std::initializer_list<std::pair<const char*, const char*>> options, QWidget* parent) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setAccessibleName(accessible);
    c->setFont(Theme::font(11));
    c->setFixedHeight(kControlHeight);
    for (const auto& [shown, stored] : options)
        c->addItem(QString::fromLatin1(shown), QString::fromLatin1(stored));
    return c;
}
} // namespace

NewProjectForm::NewProjectForm(DaemonClient* client, QWidget* parent) : QWidget(parent), m_client(client) {
    setObjectName(QStringLiteral("newProjectForm"));
    setAccessibleName(QStringLiteral("New project"));

    m_name = textField(QStringLiteral("my-project"), QStringLiteral("nameField"), this);
    m_domain = textField(QStringLiteral("myproject.test"), QStringLiteral("domainField"), this);
    m_webServer = choice(QStringLiteral("webServerChoice"), QStringLiteral("Web Server"),
                         {{"Apache", "apache"}, {"Nginx", "nginx"}}, this);
    m_phpVersion = choice(QStringLiteral("phpVersionChoice"), QStringLiteral("PHP Version"),
                          {{"8.3", "8.3"}, {"8.2", "8.2"}}, this);

    m_cancel = Button::compact(QStringLiteral("Cancel"), Button::Style::Bordered, 11, kControlHeight, this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_create = Button::compact(QStringLiteral("Create"), Button::Style::Prominent, 11, kControlHeight, this);
    m_create->setObjectName(QStringLiteral("createButton"));
    // The spinner replaces the label without changing the button's size.
    m_create->setFixedWidth(m_create->sizeHint().width());

    auto* first = new QHBoxLayout;
    first->setSpacing(10);
    first->addLayout(labelled(QStringLiteral("Name"), m_name, this), 1);
    first->addLayout(labelled(QStringLiteral("Domain"), m_domain, this), 1);

    auto* actions = new QHBoxLayout;
    actions->setSpacing(6);
    actions->addWidget(m_cancel);
    actions->addWidget(m_create);

    auto* second = new QHBoxLayout;
    second->setSpacing(10);
    second->addLayout(labelled(QStringLiteral("Web Server"), m_webServer, this));
    second->addLayout(labelled(QStringLiteral("PHP Version"), m_phpVersion, this));
    second->addStretch(1);
    second->addLayout(actions);
    second->setAlignment(actions, Qt::AlignBottom);

    auto* column = new QVBoxLayout(this);
    column->setSpacing(10);
    column->setContentsMargins(12, 12, 12, 12);
    column->addLayout(first);
    column->addLayout(second);

    connect(m_name, &QLineEdit::textChanged, this, &NewProjectForm::updateCreateButton);
    connect(m_domain, &QLineEdit::textChanged, this, &NewProjectForm::updateCreateButton);
    connect(m_name, &QLineEdit::returnPressed, this, &NewProjectForm::returnPressed);
    connect(m_domain, &QLineEdit::returnPressed, this, &NewProjectForm::returnPressed);
    connect(m_create, &QAbstractButton::clicked, this, &NewProjectForm::createProject);
    connect(m_cancel, &QAbstractButton::clicked, this, &NewProjectForm::cancel);
    updateCreateButton();
}

void NewProjectForm::cancel() {
    emit closeRequested();
    resetForm();
}

void NewProjectForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

QString NewProjectForm::newName() const {
    return m_name->text();
}
QString NewProjectForm::newDomain() const {
    return m_domain->text();
}
QString NewProjectForm::newWebServer() const {
    return m_webServer->currentData().toString();
}
QString NewProjectForm::newPhpVersion() const {
    return m_phpVersion->currentData().toString();
}

void NewProjectForm::resetForm() {
    m_name->clear();
    m_domain->clear();
    m_webServer->setCurrentIndex(0);
    m_phpVersion->setCurrentIndex(0);
}

void NewProjectForm::updateCreateButton() {
    // Empty means no characters at all: a lone space is a value.
    m_create->setEnabled(!m_name->text().isEmpty() && !m_domain->text().isEmpty() && !m_isCreating);
}

void NewProjectForm::setCreating(bool creating) {
    m_isCreating = creating;
    m_create->setText(creating ? QString() : QStringLiteral("Create"));
    m_create->setBusy(creating);
    updateCreateButton();
}

void NewProjectForm::returnPressed() {
    if (m_create->isEnabled())
        m_create->click();
}

void NewProjectForm::createProject() {
    if (!m_client || m_isCreating)
        return;
    setCreating(true);
    CreateProjectRequest request;
    request.name = newName();
    request.domain = newDomain();
    request.webServer = newWebServer();
    request.phpVersion = newPhpVersion();
    request.sslEnabled = false;
    request.createDatabase = false;
    QCoro::connect(m_client->createProject(std::move(request)), this, [this](bool ok) {
        if (ok) {
            emit closeRequested();
            resetForm();
        }
        setCreating(false);
    });
}

void NewProjectForm::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Theme::withOpacity(Theme::blue(), 0.03));
}

} // namespace brevant
