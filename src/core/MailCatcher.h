#pragma once

#include "Models.h"

#include <QUrl>

#include <optional>

namespace brevant {

// The mail catcher's web page: "http://localhost:" and the configured web port, 8025 while no
// configuration has loaded. Nothing for a port that no URL can carry (zero, negative, above 65535).
std::optional<QUrl> mailCatcherURL(const std::optional<AppConfig>& config);

} // namespace brevant
