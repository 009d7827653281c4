#include "IconDrawing.h"

#include "Theme.h"

#include <QFile>
#include <QPainter>
#include <QXmlStreamReader>

#include <charconv>
#include <cmath>
#include <numbers>
#include <unordered_map>

namespace brevant {

namespace {

// Far beyond any icon's coordinates; larger values would only overflow the arc arithmetic and
// the rasteriser.
constexpr double kLimit = 1e7;

bool inRange(double v) {
    return std::isfinite(v) && std::abs(v) <= kLimit;
}
bool inRange(QPointF p) {
    return inRange(p.x()) && inRange(p.y());
}

// Reads numbers and flags out of path data and attribute values, where separators are optional
// wherever the text stays unambiguous ("1.5.5" is 1.5 and .5, "-1-2" is -1 and -2).
class Scanner {
public:
    explicit Scanner(QByteArrayView text) : m_p(text.data()), m_end(text.data() + text.size()) {}

    bool atEnd() const { return m_p == m_end; }
    char peek() const { return atEnd() ? '\0' : *m_p; }
    void advance() { ++m_p; }

    void skipSpace() {
        while (!atEnd() && (*m_p == ' ' || *m_p == '\t' || *m_p == '\n' || *m_p == '\r' || *m_p == '\f'))
            ++m_p;
    }
    // Whitespace with at most one comma in it.
    void skipSeparator() {
        skipSpace();
        if (peek() == ',') {
            ++m_p;
            skipSpace();
        }
    }

    bool number(double& out) {
        skipSeparator();
        const char* p = m_p;
        if (p != m_end && (*p == '+' || *p == '-'))
            ++p;
        const char* digits = p;
        while (p != m_end && isDigit(*p))
            ++p;
        bool any = p != digits;
        if (p != m_end && *p == '.') {
            const char* fraction = ++p;
            while (p != m_end && isDigit(*p))
                ++p;
            any = any || p != fraction;
        }
        if (!any)
            return false;
        if (p != m_end && (*p == 'e' || *p == 'E')) {
            const char* q = p + 1;
            if (q != m_end && (*q == '+' || *q == '-'))
                ++q;
            if (q != m_end && isDigit(*q)) {
                while (q != m_end && isDigit(*q))
                    ++q;
                p = q;
            }
        }
        // from_chars takes no leading '+'.
        const char* first = *m_p == '+' ? m_p + 1 : m_p;
        double value = 0;
        const auto [end, error] = std::from_chars(first, p, value);
        if (error != std::errc() || end != p || !inRange(value))
            return false;
        out = value;
        m_p = p;
        return true;
    }

    bool flag(bool& out) {
        skipSeparator();
        if (atEnd() || (*m_p != '0' && *m_p != '1'))
            return false;
        out = *m_p++ == '1';
        return true;
    }

    // Whether another parameter set follows without a command letter.
    bool numberFollows() {
        skipSpace();
        const char c = peek();
        return isDigit(c) || c == '.' || c == '-' || c == '+' || c == ',';
    }

private:
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    const char* m_p;
    const char* m_end;
};

QPointF ellipsePoint(QPointF centre, double rx, double ry, double cosPhi, double sinPhi, double t) {
    return {centre.x() + rx * cosPhi * std::cos(t) - ry * sinPhi * std::sin(t),
            centre.y() + rx * sinPhi * std::cos(t) + ry * cosPhi * std::sin(t)};
}

QPointF ellipseTangent(double rx, double ry, double cosPhi, double sinPhi, double t) {
    return {-rx * cosPhi * std::sin(t) - ry * sinPhi * std::cos(t),
            -rx * sinPhi * std::sin(t) + ry * cosPhi * std::cos(t)};
}

// An elliptical arc from `from` to `to` in endpoint form, as cubic Béziers of at most a quarter
// turn each. Radii too small to reach the endpoint are scaled up until they just do.
void arcTo(QPainterPath& path, QPointF from, double rx, double ry, double rotationDegrees, bool large,
           bool sweep, QPointF to) {
    if (from == to)
        return;
    rx = std::abs(rx);
    ry = std::abs(ry);
    if (rx == 0 || ry == 0) {
        path.lineTo(to);
        return;
    }
    const double phi = rotationDegrees * std::numbers::pi / 180;
    const double cosPhi = std::cos(phi);
    const double sinPhi = std::sin(phi);
    const double dx = (from.x() - to.x()) / 2;
    const double dy = (from.y() - to.y()) / 2;
    const double x1 = cosPhi * dx + sinPhi * dy;
    const double y1 = -sinPhi * dx + cosPhi * dy;

    const double lambda = (x1 * x1) / (rx * rx) + (y1 * y1) / (ry * ry);
    if (lambda > 1) {
        rx *= std::sqrt(lambda);
        ry *= std::sqrt(lambda);
    }
    const double rx2 = rx * rx;
    const double ry2 = ry * ry;
    const double denominator = rx2 * y1 * y1 + ry2 * x1 * x1;
    double coefficient = std::sqrt(std::max(0.0, (rx2 * ry2 - denominator) / denominator));
    if (large == sweep)
        coefficient = -coefficient;
    const double cx1 = coefficient * rx * y1 / ry;
    const double cy1 = -coefficient * ry * x1 / rx;
    const QPointF centre(cosPhi * cx1 - sinPhi * cy1 + (from.x() + to.x()) / 2,
                         sinPhi * cx1 + cosPhi * cy1 + (from.y() + to.y()) / 2);

    const double start = std::atan2((y1 - cy1) / ry, (x1 - cx1) / rx);
    double delta = std::atan2((-y1 - cy1) / ry, (-x1 - cx1) / rx) - start;
    if (sweep && delta < 0)
        delta += 2 * std::numbers::pi;
    else if (!sweep && delta > 0)
        delta -= 2 * std::numbers::pi;
    if (!std::isfinite(delta) || !inRange(centre)) {
        path.lineTo(to);
        return;
    }

    const int segments = std::max(1, int(std::ceil(std::abs(delta) / (std::numbers::pi / 2) - 1e-9)));
    const double step = delta / segments;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    double t = start;
    QPointF p0 = from;
    for (int i = 0; i < segments; ++i) {
        const double t1 = t + step;
        const QPointF p3 = i + 1 == segments ? to : ellipsePoint(centre, rx, ry, cosPhi, sinPhi, t1);
        path.cubicTo(p0 + k * ellipseTangent(rx, ry, cosPhi, sinPhi, t),
                     p3 - k * ellipseTangent(rx, ry, cosPhi, sinPhi, t1), p3);
        p0 = p3;
        t = t1;
    }
}

int parameterCount(char command) {
    switch (command) {
    case 'M':
    case 'L':
    case 'T':
        return 2;
    case 'H':
    case 'V':
        return 1;
    case 'C':
        return 6;
    case 'S':
    case 'Q':
        return 4;
    case 'A':
        return 7;
    case 'Z':
        return 0;
    default:
        return -1;
    }
}

QRectF readViewBox(QStringView text) {
    const QByteArray latin = text.toLatin1();
    Scanner scanner(latin);
    double v[4];
    for (double& x : v)
        if (!scanner.number(x))
            return {};
    return QRectF(v[0], v[1], v[2], v[3]);
}

} // namespace

QPainterPath IconDrawing::parsePathData(QStringView data) {
    const QByteArray latin = data.toLatin1();
    Scanner in(latin);
    QPainterPath path;
    QPointF current;
    QPointF subpathStart;
    // The last control point of a C/S (or Q/T) segment, reflected by a following S (or T).
    QPointF lastControl;
    char lastCommand = 0;
    char command = 0;
    bool started = false;

    in.skipSpace();
    while (!in.atEnd()) {
        const char c = in.peek();
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            command = c;
            in.advance();
        } else if (command == 0 || command == 'Z' || command == 'z' || !in.numberFollows()) {
            break;
        }
        const char upper = char(command & ~0x20);
        const int count = parameterCount(upper);
        if (count < 0 || (!started && upper != 'M'))
            break;
        const bool relative = command != upper;
        const QPointF origin = relative ? current : QPointF();

        double v[7] = {};
        bool flags[2] = {false, false};
        bool complete = true;
        for (int i = 0; i < count && complete; ++i)
            complete = upper == 'A' && (i == 3 || i == 4) ? in.flag(flags[i - 3]) : in.number(v[i]);
        if (!complete)
            break;

        QPointF end;
        QPointF control;      // the second control point of C and S, the one of Q
        QPointF firstControl; // of C
        switch (upper) {
        case 'M':
            end = origin + QPointF(v[0], v[1]);
            break;
        case 'L':
        case 'T':
        case 'A':
            end = origin + QPointF(v[count - 2], v[count - 1]);
            break;
        case 'H':
            end = QPointF((relative ? current.x() : 0) + v[0], current.y());
            break;
        case 'V':
            end = QPointF(current.x(), (relative ? current.y() : 0) + v[0]);
            break;
        case 'C':
            firstControl = origin + QPointF(v[0], v[1]);
            control = origin + QPointF(v[2], v[3]);
            end = origin + QPointF(v[4], v[5]);
            break;
        case 'S':
        case 'Q':
            control = origin + QPointF(v[0], v[1]);
            end = origin + QPointF(v[2], v[3]);
            break;
        case 'Z':
            end = subpathStart;
            break;
        }
        if (!inRange(end) || !inRange(control) || !inRange(firstControl))
            break;

        // A drawing command right after Z starts a new subpath where the closed one began.
        if (upper != 'M' && upper != 'Z' && lastCommand == 'Z')
            path.moveTo(current);

        switch (upper) {
        case 'M':
            path.moveTo(end);
            subpathStart = end;
            started = true;
            // Further pairs after a moveto are linetos.
            command = relative ? 'l' : 'L';
            break;
        case 'L':
        case 'H':
        case 'V':
            path.lineTo(end);
            break;
        case 'C':
            path.cubicTo(firstControl, control, end);
            break;
        case 'S': {
            const QPointF first =
                lastCommand == 'C' || lastCommand == 'S' ? 2 * current - lastControl : current;
            path.cubicTo(first, control, end);
            break;
        }
        case 'Q':
            path.quadTo(control, end);
            break;
        case 'T':
            control = lastCommand == 'Q' || lastCommand == 'T' ? 2 * current - lastControl : current;
            if (!inRange(control))
                return path;
            path.quadTo(control, end);
            break;
        case 'A':
            arcTo(path, current, v[0], v[1], v[2], flags[0], flags[1], end);
            break;
        case 'Z':
            path.closeSubpath();
            break;
        }
        current = end;
        lastControl = control;
        lastCommand = upper;
        in.skipSpace();
    }
    return path;
}

IconDrawing IconDrawing::parse(QByteArrayView text) {
    IconDrawing drawing;
    QXmlStreamReader xml(text.toByteArray());
    QRectF size;
    while (!xml.atEnd() && !xml.hasError()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == QLatin1StringView("svg") && drawing.m_viewBox.isNull()) {
            drawing.m_viewBox = readViewBox(attributes.value(QLatin1StringView("viewBox")));
            size = QRectF(0, 0, attributes.value(QLatin1StringView("width")).toDouble(),
                          attributes.value(QLatin1StringView("height")).toDouble());
        } else if (xml.name() == QLatin1StringView("path") &&
                   attributes.value(QLatin1StringView("fill")) != QLatin1StringView("none")) {
            Shape shape;
            shape.path = parsePathData(attributes.value(QLatin1StringView("d")));
            if (attributes.value(QLatin1StringView("fill-rule")) == QLatin1StringView("evenodd"))
                shape.rule = Qt::OddEvenFill;
            shape.path.setFillRule(shape.rule);
            if (!shape.path.isEmpty())
                drawing.m_shapes.push_back(std::move(shape));
        }
    }
    if (drawing.m_viewBox.isEmpty())
        drawing.m_viewBox = size;
    return drawing;
}

const IconDrawing& IconDrawing::bundled(const QString& file) {
    return resource(QStringLiteral(":/brevant/icons/%1.svg").arg(file));
}

const IconDrawing& IconDrawing::resource(const QString& path) {
    // Owned here, so the drawings go with the process's statics.
    static std::unordered_map<QString, IconDrawing> drawings;
    if (const auto it = drawings.find(path); it != drawings.end())
        return it->second;
    Theme::ensureAssets();
    IconDrawing drawing;
    QFile source(path);
    if (source.open(QIODevice::ReadOnly))
        drawing = parse(source.readAll());
    return drawings.emplace(path, std::move(drawing)).first->second;
}

void IconDrawing::paint(QPainter& painter, const QRectF& target, const QColor& color) const {
    if (isEmpty())
        return;
    const double scale = std::min(target.width() / m_viewBox.width(), target.height() / m_viewBox.height());
    painter.save();
    painter.translate(target.center());
    painter.scale(scale, scale);
    painter.translate(-m_viewBox.center());
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    for (const Shape& shape : m_shapes)
        painter.drawPath(shape.path);
    painter.restore();
}

} // namespace brevant
