#include "KitStyle.h"

#include "Icons.h"
#include "Painting.h"
#include "Theme.h"

#include <QIconEngine>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace brevant {

namespace {

// Drawn only if it is ever shown. Every menu bar asks for its overflow arrow when it is made, and
// the common style's picture is read through the image plugins, each loaded first to be asked
// whether it reads that picture: a millisecond and a quarter megabyte at start.
class ChevronEngine : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        Icons::paint(*painter, rect, QStringLiteral("chevron.right"), std::min(rect.width(), rect.height()),
                     mode == QIcon::Disabled ? Theme::secondary() : Theme::primary());
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }
    QIconEngine* clone() const override { return new ChevronEngine; }
};

} // namespace

KitStyle::KitStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

int KitStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    if (metric == PM_ScrollBarExtent)
        return kScrollBarWidth;
    if (metric == PM_ScrollBarSliderMin)
        return 24;
    // A focus frame lies just inside the widget it marks.
    if (metric == PM_FocusFrameHMargin || metric == PM_FocusFrameVMargin)
        return 0;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

int KitStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                        QStyleHintReturn* returnData) const {
    // Transient bars are laid over the viewport instead of beside it.
    if (hint == SH_ScrollBar_Transient)
        return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void KitStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
    if (element == PE_FrameFocusRect) {
        if (option->state & State_KeyboardFocusChange)
            paint::focusRing(*painter, option->rect, 4);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    if (element == PE_PanelLineEdit && (option->state & State_HasFocus) &&
        (option->state & State_KeyboardFocusChange) &&
        !(widget && widget->parentWidget() && widget->parentWidget()->inherits("QComboBox")))
        paint::focusRing(*painter, option->rect, 4);
}

void KitStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                           const QWidget* widget) const {
    if (element == CE_FocusFrame) {
        paint::focusRing(*painter, option->rect, 4);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void KitStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                  QPainter* painter, const QWidget* widget) const {
    if (control == CC_ScrollBar) {
        const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
        if (!bar || bar->maximum <= bar->minimum)
            return;
        const bool active =
            (bar->activeSubControls & SC_ScrollBarSlider) && (bar->state & (State_MouseOver | State_Sunken));
        const QRect slider = subControlRect(CC_ScrollBar, bar, SC_ScrollBarSlider, widget);
        const QRectF thumb = QRectF(slider).adjusted(2, 2, -2, -2);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        paint::capsule(*painter, thumb, Theme::withOpacity(Theme::primary(), active ? 0.55 : 0.35));
        painter->restore();
        return;
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    if (control == CC_ComboBox && (option->state & State_HasFocus) &&
        (option->state & State_KeyboardFocusChange))
        paint::focusRing(*painter, option->rect, 4);
}

QRect KitStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                               const QWidget* widget) const {
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_ScrollBar || !bar)
        return QProxyStyle::subControlRect(control, option, sub, widget);
    // No arrows: the groove is the whole bar and the slider's length shows the page's share.
    const QRect groove = bar->rect;
    const bool vertical = bar->orientation == Qt::Vertical;
    const int length = vertical ? groove.height() : groove.width();
    const qint64 range = qint64(bar->maximum) - bar->minimum;
    int sliderLength = length;
    if (range > 0) {
        sliderLength = int(qint64(length) * bar->pageStep / (range + bar->pageStep));
        sliderLength = std::clamp(sliderLength, std::min(length, pixelMetric(PM_ScrollBarSliderMin)), length);
    }
    const int start = sliderPositionFromValue(bar->minimum, bar->maximum, bar->sliderPosition,
                                              length - sliderLength, bar->upsideDown);
    auto span = [&](int from, int size) {
        return vertical ? QRect(groove.left(), groove.top() + from, groove.width(), size)
                        : QRect(groove.left() + from, groove.top(), size, groove.height());
    };
    switch (sub) {
    case SC_ScrollBarGroove:
        return groove;
    case SC_ScrollBarSlider:
        return span(start, sliderLength);
    case SC_ScrollBarSubPage:
        return span(0, start);
    case SC_ScrollBarAddPage:
        return span(start + sliderLength, length - start - sliderLength);
    default:
        return {};
    }
}

QStyle::SubControl KitStyle::hitTestComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                                   const QPoint& pos, const QWidget* widget) const {
    if (control != CC_ScrollBar)
        return QProxyStyle::hitTestComplexControl(control, option, pos, widget);
    for (SubControl sub : {SC_ScrollBarSlider, SC_ScrollBarSubPage, SC_ScrollBarAddPage})
        if (subControlRect(control, option, sub, widget).contains(pos))
            return sub;
    return SC_None;
}

QIcon KitStyle::standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const {
    if (icon == SP_ToolBarHorizontalExtensionButton)
        return QIcon(new ChevronEngine);
    return QProxyStyle::standardIcon(icon, option, widget);
}

} // namespace brevant
