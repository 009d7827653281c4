#include "Models.h"
#include "TextRules.h"

namespace brevant {

QString ServiceStatus::displayName() const {
    struct Known {
        const char* name;
        const char* display;
    };
    static constexpr Known known[] = {{"apache", "Apache"},   {"nginx", "Nginx"}, {"mariadb", "MariaDB"},
                                      {"php-fpm", "PHP-FPM"}, {"pm2", "PM2"},     {"mailhog", "Mailhog"},
                                      {"redis", "Redis"}};
    for (const auto& k : known)
        if (name == QLatin1StringView(k.name))
            return QString::fromLatin1(k.display);
    return capitalized(name);
}

QString ServiceStatus::iconName() const {
    struct Known {
        const char* name;
        const char* icon;
    };
    static constexpr Known known[] = {
        {"apache", "globe"},       {"nginx", "network"},
        {"mariadb", "cylinder"},   {"php-fpm", "chevron.left.forwardslash.chevron.right"},
        {"pm2", "gearshape.2"},    {"mailhog", "envelope"},
        {"redis", "cylinder.fill"}};
    for (const auto& k : known)
        if (name == QLatin1StringView(k.name))
            return QString::fromLatin1(k.icon);
    return QStringLiteral("questionmark.circle");
}

} // namespace brevant
