#include "SettingsRows.h"

#include "kit/Button.h"
#include "kit/Text.h"
#include "kit/Theme.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace brevant {

namespace {
// The body's frame: control background inside a rounded outline.
class SectionBody : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
        p.fillPath(shape, Theme::controlBackground());
        p.setPen(QPen(Theme::withOpacity(Theme::primary(), 0.08), 1));
        p.drawPath(shape);
    }
};
} // namespace

ElidingValueLabel::ElidingValueLabel(Qt::TextElideMode mode, QWidget* parent) : QLabel(parent), m_mode(mode) {
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ElidingValueLabel::setFullText(const QString& text) {
    if (text == m_full && !this->text().isNull())
        return;
    m_full = text;
    elide();
    updateGeometry();
}

QSize ElidingValueLabel::sizeHint() const {
    const QMargins m = contentsMargins();
    return {fontMetrics().horizontalAdvance(m_full) + 2 + m.left() + m.right(),
            fontMetrics().height() + m.top() + m.bottom()};
}

QSize ElidingValueLabel::minimumSizeHint() const {
    // Room for an ellipsis and a little either side of it.
    return {fontMetrics().horizontalAdvance(QStringLiteral("W…W")), sizeHint().height()};
}

void ElidingValueLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void ElidingValueLabel::showEvent(QShowEvent* event) {
    QLabel::showEvent(event);
    elide();
}

void ElidingValueLabel::elide() {
    // Not laid out yet: the width is meaningless until the resize that comes with showing.
    if (!isVisible()) {
        if (text() != m_full)
            setText(m_full);
        return;
    }
    const QString shown = fontMetrics().elidedText(m_full, m_mode, contentsRect().width());
    if (shown != text())
        setText(shown);
    // Selecting an elided value would copy the ellipsis; the whole value is a hover away.
    setToolTip(shown == m_full ? QString() : m_full);
}

SettingsSection::SettingsSection(const QString& title, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("section:") + title);
    setAccessibleName(title);
    auto* titleLabel = new QLabel(title, this);
    titleLabel->setObjectName(QStringLiteral("sectionTitle"));
    titleLabel->setFont(Theme::font(12, QFont::Bold));
    text::setColor(titleLabel, Theme::primary());

    m_body = new SectionBody(this);
    m_body->setObjectName(QStringLiteral("sectionBody"));
    m_bodyLayout = new QVBoxLayout(m_body);
    m_bodyLayout->setContentsMargins(0, 0, 0, 0);
    m_bodyLayout->setSpacing(0);

    m_column = new QVBoxLayout(this);
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(8);
    m_column->addWidget(titleLabel, 0, Qt::AlignLeft);
    m_column->addWidget(m_body);
    showNothing();
}

bool SettingsSection::hasBody() const {
    return !m_body->isHidden();
}

void SettingsSection::setContent(QWidget* content, Mode mode) {
    delete m_content;
    m_mode = mode;
    m_rows.clear();
    m_values.clear();
    m_content = content;
    if (content)
        m_bodyLayout->addWidget(content);
    m_body->setVisible(content != nullptr);
    // Rows stretch across; a lone placeholder or button keeps its own width, frame and all.
    m_column->setAlignment(m_body,
                           mode == Mode::Rows || mode == Mode::Nothing ? Qt::Alignment() : Qt::AlignLeft);
}

void SettingsSection::showNothing() {
    if (m_mode != Mode::Nothing)
        setContent(nullptr, Mode::Nothing);
}

void SettingsSection::showLoading() {
    if (m_mode == Mode::Loading)
        return;
    auto* loading = text::label(QStringLiteral("Loading..."), Theme::font(12), Theme::secondary());
    loading->setObjectName(QStringLiteral("loading"));
    // Padded like a row, so the frame around it never clips its glyphs.
    loading->setContentsMargins(10, 5, 10, 5);
    setContent(loading, Mode::Loading);
}

void SettingsSection::showWidget(QWidget* widget) {
    setContent(widget, Mode::Widget);
}

void SettingsSection::showRows(const QList<SettingsRow>& rows, RowKind kind) {
    const auto sameLabels = [&] {
        if (m_mode != Mode::Rows || kind != m_kind || rows.size() != m_rows.size())
            return false;
        for (qsizetype i = 0; i < rows.size(); ++i)
            if (rows[i].label != m_rows[i].label)
                return false;
        return true;
    };
    if (sameLabels()) {
        for (qsizetype i = 0; i < rows.size(); ++i)
            m_values[i]->setFullText(rows[i].value);
        m_rows = rows;
        return;
    }

    auto* container = new QWidget;
    container->setObjectName(QStringLiteral("rows"));
    auto* column = new QVBoxLayout(container);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    QList<ElidingValueLabel*> values;
    for (const SettingsRow& r : rows) {
        auto* rowWidget = new QWidget(container);
        rowWidget->setObjectName(QStringLiteral("row:") + r.label);
        auto* line = new QHBoxLayout(rowWidget);
        line->setContentsMargins(10, 5, 10, 5);
        line->setSpacing(8);
        auto* name = new QLabel(r.label, rowWidget);
        name->setFont(Theme::font(11));
        name->setFixedWidth(110);
        text::setColor(name, Theme::secondary());
        auto* value = new ElidingValueLabel(Qt::ElideMiddle, rowWidget);
        value->setObjectName(QStringLiteral("value:") + r.label);
        value->setAccessibleName(r.label);
        value->setFont(
            Theme::font(kind == RowKind::Copyable ? 10 : 11, QFont::Medium, Theme::Design::Monospaced));
        text::setColor(value, Theme::primary());
        value->setFullText(r.value);
        line->addWidget(name, 0, Qt::AlignVCenter);
        line->addWidget(value, 0, Qt::AlignVCenter);
        line->addStretch(1);
        if (kind == RowKind::Copyable) {
            auto* copy = Button::icon(QStringLiteral("doc.on.doc"), 10, Theme::blue(),
                                      QStringLiteral("Copy ") + r.label, rowWidget);
            copy->setObjectName(QStringLiteral("copy:") + r.label);
            // The value at click time, so a refreshed credential copies the new one.
            connect(copy, &QAbstractButton::clicked, this,
                    [this, value] { emit copyRequested(value->fullText()); });
            line->addWidget(copy, 0, Qt::AlignVCenter);
        }
        values.push_back(value);
        column->addWidget(rowWidget);
    }
    setContent(container, Mode::Rows);
    m_rows = rows;
    m_kind = kind;
    m_values = values;
}

} // namespace brevant
