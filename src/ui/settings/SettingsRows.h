#pragma once

// The building blocks of the Settings section: a titled frame whose body holds a placeholder,
// a widget or labelled rows, and the one-line value label that elides instead of widening.

#include "SettingsText.h"

#include <QLabel>
#include <QList>
#include <QPointer>
#include <QWidget>

class QVBoxLayout;

namespace brevant {

// Shows its whole text when it fits, otherwise the text with an ellipsis; it never asks for
// more width than it is given, so a long token cannot widen the window.
class ElidingValueLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidingValueLabel(Qt::TextElideMode mode, QWidget* parent = nullptr);

    void setFullText(const QString& text);
    const QString& fullText() const { return m_full; }
    bool isElided() const { return text() != m_full; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void elide();

    Qt::TextElideMode m_mode;
    QString m_full;
};

class SettingsSection : public QWidget {
    Q_OBJECT
public:
    enum class RowKind { Info, Copyable };

    explicit SettingsSection(const QString& title, QWidget* parent = nullptr);

    // Title only: no body at all.
    void showNothing();
    // "Loading..." directly in the body.
    void showLoading();
    // Any widget, directly in the body; the section takes it.
    void showWidget(QWidget* widget);
    // Labelled rows; when the labels are those already shown, only changed values are touched.
    void showRows(const QList<SettingsRow>& rows, RowKind kind = RowKind::Info);

    bool hasBody() const;

signals:
    // A copy button was clicked: the row's whole value.
    void copyRequested(const QString& value);

private:
    enum class Mode { Nothing, Loading, Widget, Rows };
    void setContent(QWidget* content, Mode mode);

    QVBoxLayout* m_column = nullptr;
    QWidget* m_body = nullptr;
    QVBoxLayout* m_bodyLayout = nullptr;
    QPointer<QWidget> m_content;
    QList<SettingsRow> m_rows;
    Mode m_mode = Mode::Widget;
    RowKind m_kind = RowKind::Info;
    QList<ElidingValueLabel*> m_values;
};

} // namespace brevant
