#include "UninstallView.h"

#include "DesktopServices.h"
#include "kit/Button.h"
#include "kit/IconView.h"
#include "kit/Painting.h"
#include "kit/Text.h"
#include "kit/Theme.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace brevant {

namespace {

constexpr int kWindowPadding = 24;
const QString kUninstall = QStringLiteral("Uninstall Everything");
const QString kUninstalling = QStringLiteral(u"Uninstalling\u2026");
constexpr int kUninstallButtonHeight = 28;
constexpr int kUninstallButtonPadding = 12;
// The small spinner at 70 % and the gap to its title, as the kit's busy button draws them.
constexpr int kBusyLeadingWidth = 16;

QLabel* uninstallText(const QString& text, const QFont& font, const QColor& color, QWidget* parent) {
    QLabel* label = text::label(text, font, color, parent);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    label->setContentsMargins(20, 0, 20, 0);
    // Never cut: the window's padding gives way instead.
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    return label;
}

} // namespace

UninstallView::UninstallView(QWidget* parent)
    : UninstallView(currentProfile(), UninstallSettings{}, parent) {}

UninstallView::UninstallView(PlatformProfile profile, UninstallSettings settings, QWidget* parent)
    : QWidget(parent), m_profile(std::move(profile)), m_settings(std::move(settings)) {
    setObjectName(QStringLiteral("uninstallView"));
    auto* column = new QVBoxLayout(this);
    // The column sits in the middle. With the longer message it is a little taller than the
    // fixed window: the padding above and below shrinks then, not the texts.
    column->setContentsMargins(24, 0, 24, 0);
    column->setSpacing(16);
    column->addSpacerItem(new QSpacerItem(0, kWindowPadding, QSizePolicy::Minimum, QSizePolicy::Expanding));

    auto* icon = new IconView(QStringLiteral("trash.circle"), 48, Theme::red(), this);
    icon->setObjectName(QStringLiteral("uninstallIcon"));
    icon->setAccessibleName(QStringLiteral("Uninstall"));
    column->addWidget(icon, 0, Qt::AlignHCenter);

    auto* title = text::label(QStringLiteral("Uninstall Kelvask Brevant?"), Theme::font(16, QFont::Bold),
                              Theme::primary(), this);
    title->setObjectName(QStringLiteral("uninstallTitle"));
    title->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    column->addWidget(title, 0, Qt::AlignHCenter);

    auto* warning =
        uninstallText(QStringLiteral("This will remove the app, all services, databases, configuration "
                                     "files, and project data. This action cannot be undone."),
                      Theme::font(12), Theme::secondary(), this);
    warning->setObjectName(QStringLiteral("uninstallWarning"));
    column->addWidget(warning);

    m_resultLabel = uninstallText(QString(), Theme::font(12, QFont::Medium), Theme::red(), this);
    m_resultLabel->setObjectName(QStringLiteral("uninstallResult"));
    m_resultLabel->hide();
    column->addWidget(m_resultLabel);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 4, 0, 0);
    row->setSpacing(12);
    row->addStretch(1);
    m_cancel = new Button(QStringLiteral("Cancel"), Button::Style::Bordered, this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_uninstall = new Button(kUninstall, Button::Style::Prominent, this);
    m_uninstall->setObjectName(QStringLiteral("uninstallButton"));
    m_uninstall->setTint(Theme::red());
    for (Button* b : {m_cancel, m_uninstall}) {
        b->setTextFont(Theme::font(13));
        b->setHorizontalPadding(kUninstallButtonPadding);
        b->setFixedHeight(kUninstallButtonHeight);
        row->addWidget(b);
    }
    // Wide enough for either label, so the row keeps still when the spinner comes and goes.
    const QFont font = Theme::font(13);
    m_uninstall->setFixedWidth(std::max(paint::textWidth(font, kUninstall),
                                        paint::textWidth(font, kUninstalling) + kBusyLeadingWidth) +
                               2 * kUninstallButtonPadding);
    row->addStretch(1);
    column->addLayout(row);
    column->addSpacerItem(new QSpacerItem(0, kWindowPadding, QSizePolicy::Minimum, QSizePolicy::Expanding));
    setTabOrder(m_cancel, m_uninstall);

    connect(m_cancel, &QAbstractButton::clicked, this, &UninstallView::dismiss);
    connect(m_uninstall, &QAbstractButton::clicked, this, &UninstallView::performUninstall);
}

void UninstallView::performUninstall() {
    if (m_isUninstalling)
        return;
    setUninstalling(true);
    setResult(std::nullopt);
    // The procedure keeps the desktop services alive and quits after success by itself; with the
    // view as context its outcome is dropped once the window has gone.
    QCoro::connect(uninstallEverything(sharedDesktopServices(), m_profile, m_settings), this,
                   [this](const UninstallOutcome& outcome) {
                       setUninstalling(false);
                       setResult(outcome.message);
                   });
}

void UninstallView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        emit dismiss();
        return;
    }
    QWidget::keyPressEvent(event);
}

void UninstallView::setUninstalling(bool uninstalling) {
    m_isUninstalling = uninstalling;
    const QString label = uninstalling ? kUninstalling : kUninstall;
    m_uninstall->setText(label);
    m_uninstall->setAccessibleName(label);
    m_uninstall->setBusy(uninstalling);
    m_uninstall->setEnabled(!uninstalling);
}

void UninstallView::setResult(std::optional<QString> result) {
    m_result = std::move(result);
    m_resultLabel->setVisible(m_result.has_value());
    if (!m_result)
        return;
    m_resultLabel->setText(*m_result);
    m_resultLabel->setAccessibleName(*m_result);
    text::setColor(m_resultLabel,
                   m_result->contains(QStringLiteral(u"\u2705")) ? Theme::green() : Theme::red());
}

} // namespace brevant
