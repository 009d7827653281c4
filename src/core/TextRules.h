#pragma once

// Text and list rules shared by the views. Pure functions, no state.

#include "Models.h"

#include <QList>
#include <QString>

namespace brevant {

// First letter of each whitespace-separated word upper case, every other letter lower case.
QString capitalized(const QString& text);

// "16GB" from 2^34 bytes; below one GiB in whole MiB ("512MB").
QString formatBytes(qint64 bytes);

// "1023 B", "1 KB", "5120 MB": integer division, no unit above MB.
QString formatSize(qint64 bytes);

// The first load average over the core count, in whole percent, at most 100; 0 without cores.
int cpuPercent(const SystemInfo& info);

// The first load average, 0 when there is none.
double firstLoadAverage(const SystemInfo& info);

int runningCount(const QList<ServiceStatus>& services);

// The services with the idle web server hidden: while only one of apache and nginx runs,
// the other is left out; while both run, both are.
QList<ServiceStatus> filteredServices(const QList<ServiceStatus>& services);

// "3/7 active".
QString activeCountText(const QList<ServiceStatus>& services);

// "0 virtual hosts", "1 virtual host", "12 virtual hosts".
QString virtualHostCountText(qsizetype count);

// A log as the viewer shows it: a line longer than `maxLine` characters is cut there and ends in
// " … (N more characters)", and only the last `maxTotal` characters of lines are kept, so that a
// peer sending megabytes on one line cannot freeze the window. Text within both limits is unchanged.
QString shownLog(const QString& log, qsizetype maxLine = 2000, qsizetype maxTotal = 200'000);

} // namespace brevant
