#include "AppIdentity.h"

#include <QFile>

// Outside any namespace: the macro declares the generated function.
static void initAppAssets() {
    Q_INIT_RESOURCE(app_assets);
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
    return QIcon(QStringLiteral(":/brevant/app/dev.kelvask.brevant.svg"));
}

QString licence() {
    ensureAssets();
    QFile f(QStringLiteral(":/brevant/app/LICENSE"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

} // namespace brevant::identity
