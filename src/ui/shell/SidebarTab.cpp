#include "SidebarTab.h"

namespace brevant {

QString label(SidebarTab tab) {
    switch (tab) {
    case SidebarTab::services:
        return QStringLiteral("Services");
    case SidebarTab::projects:
        return QStringLiteral("Projects");
    case SidebarTab::proTools:
        return QStringLiteral("Pro Tools");
    case SidebarTab::settings:
        return QStringLiteral("Settings");
    }
    return {};
}

QString iconName(SidebarTab tab) {
    switch (tab) {
    case SidebarTab::services:
        return QStringLiteral("server.rack");
    case SidebarTab::projects:
        return QStringLiteral("folder");
    case SidebarTab::proTools:
        return QStringLiteral("tools");
    case SidebarTab::settings:
        return QStringLiteral("gearshape");
    }
    return {};
}

std::optional<SidebarTab> sidebarTabFromLabel(const QString& text) {
    for (SidebarTab tab : kAllSidebarTabs)
        if (label(tab) == text)
            return tab;
    return std::nullopt;
}

} // namespace brevant
