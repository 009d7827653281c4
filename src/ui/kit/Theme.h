#pragma once

// Every colour and font the views use, in one place. Fixed colours are exact sRGB values; the
// platform's named colours (label, secondary label, accent, backgrounds) come from the palette,
// which applyPalette() fills for light or dark appearance.

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

class QApplication;

namespace brevant {

class Theme {
public:
    enum class Design { Default, Monospaced, Rounded };

    // sRGB components in 0..1, as the designs give them.
    static QColor srgb(double r, double g, double b, double opacity = 1.0);
    static QColor withOpacity(QColor c, double opacity);
    // `top` drawn over the opaque `bottom`: the opaque colour a user sees.
    static QColor over(const QColor& top, const QColor& bottom);
    // The opaque backgrounds of the dashboard's areas (translucent fills over the window).
    static QColor sidebarBackground() {
        return over(withOpacity(controlBackground(), 0.5), windowBackground());
    }
    static QColor gaugeStripBackground() { return over(withOpacity(primary(), 0.02), windowBackground()); }

    // Fixed colours.
    static QColor runningGreen() { return srgb(0.20, 0.65, 0.40); }
    static QColor disconnectedDot() { return srgb(0.75, 0.25, 0.25); }
    static QColor badgeGradientStart() { return srgb(0.35, 0.45, 0.65); }
    static QColor badgeGradientEnd() { return srgb(0.25, 0.35, 0.55); }
    static QColor cpuGauge() { return srgb(0.85, 0.55, 0.20); }
    static QColor ramGauge() { return srgb(0.35, 0.45, 0.70); }
    static QColor diskGauge() { return srgb(0.25, 0.60, 0.55); }
    static QColor startAllTint() { return srgb(0.20, 0.60, 0.45); }
    static QColor stopButton() { return srgb(0.70, 0.28, 0.28); }
    static QColor restartButton() { return srgb(0.75, 0.55, 0.20); }
    static QColor logsButton() { return srgb(0.35, 0.45, 0.65); }
    static QColor adminButton() { return srgb(0.50, 0.38, 0.60); }
    // The accent of a known service; the secondary label colour for any other name.
    static QColor serviceColor(const QString& name);

    // The platform's named colours, read from the application palette.
    static QColor primary();   // label
    static QColor secondary(); // secondary label
    static QColor accent();    // control accent
    static QColor windowBackground();
    static QColor controlBackground();
    static QColor textBackground();
    static QColor separator();
    // System named colours, adjusted for dark appearance.
    static QColor orange();
    static QColor blue();
    static QColor green();
    static QColor red();
    static QColor purple();
    static QColor cyan();
    static QColor gray();
    static QColor white() { return QColor(255, 255, 255); }

    static bool isDark();
    // Light or dark palette with the named colours in their roles; `dark` follows the desktop when unset.
    static QPalette palette(bool dark);
    // The kit's style and the palette for the desktop's appearance.
    static void applyPalette(QApplication& app);

    // Registers the bundled icons and licences (a static library's resources are not registered
    // on their own). Idempotent; the icons call it.
    static void ensureAssets();
    // `size` in device-independent pixels, as the designs give point sizes.
    static QFont font(double size, QFont::Weight weight = QFont::Normal, Design design = Design::Default);
};

} // namespace brevant
