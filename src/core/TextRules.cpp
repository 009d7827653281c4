#include "TextRules.h"

#include <cmath>
#include <limits>

namespace brevant {

QString capitalized(const QString& text) {
    QString out;
    out.reserve(text.size());
    bool atWordStart = true;
    for (const QChar c : text) {
        if (c.isSpace()) {
            out += c;
            atWordStart = true;
        } else {
            out += atWordStart ? c.toUpper() : c.toLower();
            atWordStart = false;
        }
    }
    return out;
}

QString formatBytes(qint64 bytes) {
    const double g = static_cast<double>(bytes) / 1073741824.0;
    if (g >= 1)
        return QString::asprintf("%.0fGB", g);
    return QString::asprintf("%.0fMB", static_cast<double>(bytes) / 1048576.0);
}

QString formatSize(qint64 bytes) {
    if (bytes <= 1023)
        return QStringLiteral("%1 B").arg(bytes);
    if (bytes >= 1048576)
        return QStringLiteral("%1 MB").arg(bytes / 1048576);
    return QStringLiteral("%1 KB").arg(bytes / 1024);
}

double firstLoadAverage(const SystemInfo& info) {
    return info.cpu.loadAverage.isEmpty() ? 0.0 : info.cpu.loadAverage.first();
}

int cpuPercent(const SystemInfo& info) {
    if (info.cpu.cores == 0)
        return 0;
    const double percent = firstLoadAverage(info) / static_cast<double>(info.cpu.cores) * 100.0;
    // Truncation toward zero; converting NaN or a value outside int's range would be undefined.
    if (std::isnan(percent))
        return 0;
    if (percent >= 100.0)
        return 100;
    if (percent <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(percent);
}

int runningCount(const QList<ServiceStatus>& services) {
    int n = 0;
    for (const auto& s : services)
        n += s.isRunning() ? 1 : 0;
    return n;
}

QList<ServiceStatus> filteredServices(const QList<ServiceStatus>& services) {
    auto firstRunning = [&](QLatin1StringView name) {
        for (const auto& s : services)
            if (s.name == name)
                return s.isRunning();
        return false;
    };
    const bool apacheRunning = firstRunning(QLatin1StringView("apache"));
    const bool nginxRunning = firstRunning(QLatin1StringView("nginx"));
    if (!apacheRunning && !nginxRunning)
        return services;
    QList<ServiceStatus> out;
    out.reserve(services.size());
    for (const auto& s : services) {
        if (apacheRunning && s.name == QLatin1StringView("nginx"))
            continue;
        if (nginxRunning && s.name == QLatin1StringView("apache"))
            continue;
        out.push_back(s);
    }
    return out;
}

QString activeCountText(const QList<ServiceStatus>& services) {
    return QStringLiteral("%1/%2 active").arg(runningCount(services)).arg(services.size());
}

QString virtualHostCountText(qsizetype count) {
    return QStringLiteral("%1 virtual host%2").arg(count).arg(count == 1 ? QString() : QStringLiteral("s"));
}

QString shownLog(const QString& log, qsizetype maxLine, qsizetype maxTotal) {
    if (log.size() <= maxLine && log.size() <= maxTotal)
        return log; // the usual log: nothing to cut, no copy
    QStringList lines;
    qsizetype total = 0;
    // From the end: the viewer sits at the bottom, the newest lines matter most.
    qsizetype end = log.size();
    while (end >= 0) {
        const qsizetype start = end == 0 ? 0 : log.lastIndexOf(QLatin1Char('\n'), end - 1) + 1;
        const QStringView line = QStringView(log).mid(start, end - start);
        QString shown = line.size() > maxLine
                            ? line.left(maxLine).toString() +
                                  QStringLiteral(" \u2026 (%1 more characters)").arg(line.size() - maxLine)
                            : line.toString();
        total += shown.size() + 1;
        if (total > maxTotal && !lines.isEmpty())
            break;
        lines.prepend(std::move(shown));
        if (start == 0)
            break;
        end = start - 1;
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace brevant
