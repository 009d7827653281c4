#include "AppIdentity.h"

#include <QFile>
#include <QImageReader>
#include <QPixmap>

// Outside any namespace: the macro declares the generated function.
static void initAppAssets() {
    Q_INIT_RESOURCE(app_assets);
    Q_INIT_RESOURCE(app_badge);
}

namespace brevant::identity {

namespace {
void ensureAssets() {
    static const bool registered = [] {
        initAppAssets();
        return true;
    }();
    Q_UNUSED(registered);
}
} // namespace

QIcon icon() {
    ensureAssets();
    QIcon badge;
    for (int size : {16, 32, 64, 128}) {
        QImageReader reader(QStringLiteral(":/brevant/app/badge-%1.png").arg(size), "png");
        // Straight to the built-in PNG reader: detection would load every image format plugin
        // to ask it first.
        reader.setAutoDetectImageFormat(false);
        badge.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return badge;
}

QString licence() {
    ensureAssets();
    QFile f(QStringLiteral(":/brevant/app/LICENSE"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

} // namespace brevant::identity
