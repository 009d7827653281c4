#include "Theme.h"

#include "KitStyle.h"

#include <QApplication>

#include <algorithm>

// Outside any namespace: the macro declares the generated function.
static void initBrevantAssets() {
    Q_INIT_RESOURCE(brevant_assets);
}

namespace brevant {

namespace {
bool g_dark = false;
// The desktop's fonts, from the packages the program depends on.
constexpr QLatin1StringView kSans("Inter");
constexpr QLatin1StringView kMono("JetBrains Mono");
constexpr QLatin1StringView kRounded("Quicksand");
} // namespace

QColor Theme::srgb(double r, double g, double b, double opacity) {
    return QColor::fromRgbF(float(r), float(g), float(b), float(opacity));
}

QColor Theme::withOpacity(QColor c, double opacity) {
    c.setAlphaF(float(c.alphaF() * opacity));
    return c;
}

QColor Theme::over(const QColor& top, const QColor& bottom) {
    const double a = top.alphaF();
    auto mix = [a](double t, double b) { return t * a + b * (1 - a); };
    return QColor::fromRgbF(float(mix(top.redF(), bottom.redF())), float(mix(top.greenF(), bottom.greenF())),
                            float(mix(top.blueF(), bottom.blueF())));
}

QColor Theme::serviceColor(const QString& name) {
    struct Accent {
        const char* name;
        double r, g, b;
    };
    static constexpr Accent accents[] = {{"apache", 0.75, 0.30, 0.30},  {"nginx", 0.20, 0.60, 0.45},
                                         {"mariadb", 0.30, 0.45, 0.70}, {"php-fpm", 0.50, 0.40, 0.65},
                                         {"pm2", 0.25, 0.55, 0.65},     {"mailhog", 0.75, 0.55, 0.20},
                                         {"redis", 0.70, 0.30, 0.30}};
    for (const auto& a : accents)
        if (name == QLatin1StringView(a.name))
            return srgb(a.r, a.g, a.b);
    return secondary();
}

QColor Theme::primary() {
    return QApplication::palette().color(QPalette::WindowText);
}
QColor Theme::secondary() {
    return QApplication::palette().color(QPalette::PlaceholderText);
}
QColor Theme::accent() {
    return QApplication::palette().color(QPalette::Highlight);
}
QColor Theme::windowBackground() {
    return QApplication::palette().color(QPalette::Window);
}
QColor Theme::controlBackground() {
    return QApplication::palette().color(QPalette::Button);
}
QColor Theme::textBackground() {
    return QApplication::palette().color(QPalette::Base);
}
QColor Theme::separator() {
    return g_dark ? QColor(255, 255, 255, 26) : QColor(0, 0, 0, 26);
}
QColor Theme::orange() {
    return g_dark ? QColor(255, 159, 10) : QColor(255, 149, 0);
}
QColor Theme::blue() {
    return g_dark ? QColor(10, 132, 255) : QColor(0, 122, 255);
}
QColor Theme::green() {
    return g_dark ? QColor(48, 209, 88) : QColor(52, 199, 89);
}
QColor Theme::red() {
    return g_dark ? QColor(255, 69, 58) : QColor(255, 59, 48);
}
QColor Theme::purple() {
    return g_dark ? QColor(191, 90, 242) : QColor(175, 82, 222);
}
QColor Theme::cyan() {
    return g_dark ? QColor(100, 210, 255) : QColor(50, 173, 230);
}
QColor Theme::gray() {
    return QColor(142, 142, 147);
}

bool Theme::isDark() {
    return g_dark;
}

QPalette Theme::palette(bool dark) {
    QPalette p;
    const QColor label = dark ? QColor(255, 255, 255, 217) : QColor(0, 0, 0, 217);
    const QColor secondaryLabel = dark ? QColor(235, 235, 245, 140) : QColor(60, 60, 67, 153);
    const QColor window = dark ? QColor(30, 30, 30) : QColor(236, 236, 236);
    const QColor control = dark ? QColor(40, 40, 40) : QColor(255, 255, 255);
    const QColor text = dark ? QColor(30, 30, 30) : QColor(255, 255, 255);
    const QColor accentColor = dark ? QColor(10, 132, 255) : QColor(0, 122, 255);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Window, window);
        p.setColor(group, QPalette::WindowText, label);
        p.setColor(group, QPalette::Text, label);
        p.setColor(group, QPalette::ButtonText, label);
        p.setColor(group, QPalette::PlaceholderText, secondaryLabel);
        p.setColor(group, QPalette::Button, control);
        p.setColor(group, QPalette::Base, text);
        p.setColor(group, QPalette::AlternateBase, control);
        p.setColor(group, QPalette::Highlight, accentColor);
        p.setColor(group, QPalette::HighlightedText, Qt::white);
        p.setColor(group, QPalette::ToolTipBase, control);
        p.setColor(group, QPalette::ToolTipText, label);
    }
    p.setColor(QPalette::Disabled, QPalette::WindowText, secondaryLabel);
    p.setColor(QPalette::Disabled, QPalette::Text, secondaryLabel);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, secondaryLabel);
    return p;
}

void Theme::applyPalette(QApplication& app) {
    // The desktop's own palette tells light from dark (Qt 6.4 has no colour-scheme hint).
    g_dark = app.palette().color(QPalette::Window).lightness() < 128;
    if (!qobject_cast<KitStyle*>(app.style()))
        QApplication::setStyle(new KitStyle);
    app.setPalette(palette(g_dark));
}

void Theme::ensureAssets() {
    static const bool registered = [] {
        initBrevantAssets();
        return true;
    }();
    Q_UNUSED(registered);
}

QFont Theme::font(double size, QFont::Weight weight, Design design) {
    QFont f(design == Design::Monospaced ? kMono : design == Design::Rounded ? kRounded : kSans);
    f.setPixelSize(qMax(1, qRound(size)));
    f.setWeight(weight);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

} // namespace brevant
