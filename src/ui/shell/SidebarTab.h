#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace brevant {

// The main window's sections, in navigation order. Equality is by label.
enum class SidebarTab { services, projects, proTools, settings };

inline constexpr SidebarTab kAllSidebarTabs[] = {SidebarTab::services, SidebarTab::projects,
                                                 SidebarTab::proTools, SidebarTab::settings};

// The display label, which also stands for the tab ("Pro Tools").
QString label(SidebarTab tab);
// The icon name of the navigation entry.
QString iconName(SidebarTab tab);
// Exactly the four labels, case-sensitive; nothing otherwise.
std::optional<SidebarTab> sidebarTabFromLabel(const QString& label);

} // namespace brevant
