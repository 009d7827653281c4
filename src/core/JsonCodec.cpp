#include "JsonCodec.h"

namespace brevant::json {

void DecodeFailure::prefixKey(const char* key) {
    const QString k = QString::fromLatin1(key);
    if (path.isEmpty())
        path = k;
    else if (path.startsWith(u'['))
        path = k + path;
    else
        path = k + u'.' + path;
}

void DecodeFailure::prefixIndex(qsizetype index) {
    const QString i = QStringLiteral("[%1]").arg(index);
    if (path.isEmpty() || path.startsWith(u'['))
        path = i + path;
    else
        path = i + u'.' + path;
}

QString DecodeFailure::text() const {
    if (path.isEmpty())
        return QStringLiteral("the value %1").arg(problem);
    return QStringLiteral("%1 %2").arg(path, problem);
}

bool decodeValue(const QJsonValue& v, QString& out, DecodeFailure& f) {
    if (!v.isString()) {
        f.problem = QStringLiteral("is not a string");
        return false;
    }
    out = v.toString();
    return true;
}

bool decodeValue(const QJsonValue& v, qint64& out, DecodeFailure& f) {
    if (!v.isDouble()) {
        f.problem = QStringLiteral("is not a number");
        return false;
    }
    // toInteger falls back to its argument when the number has a fraction or does not fit
    // in 64 bits; two different fallbacks tell that case apart from a genuine value.
    const qint64 a = v.toInteger(0);
    const qint64 b = v.toInteger(1);
    if (a != b) {
        f.problem = QStringLiteral("is not a 64-bit integer");
        return false;
    }
    out = a;
    return true;
}

bool decodeValue(const QJsonValue& v, double& out, DecodeFailure& f) {
    if (!v.isDouble()) {
        f.problem = QStringLiteral("is not a number");
        return false;
    }
    out = v.toDouble();
    return true;
}

bool decodeValue(const QJsonValue& v, bool& out, DecodeFailure& f) {
    if (!v.isBool()) {
        f.problem = QStringLiteral("is not a boolean");
        return false;
    }
    out = v.toBool();
    return true;
}

void encodeValue(QByteArray& out, const QString& v) {
    static const char hex[] = "0123456789abcdef";
    const QByteArray utf8 = v.toUtf8();
    out += '"';
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (u < 0x20) {
                out += "\\u00";
                out += hex[u >> 4];
                out += hex[u & 0xF];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void encodeValue(QByteArray& out, qint64 v) { out += QByteArray::number(v); }

bool encodeValue(QByteArray& out, double v) {
    if (!std::isfinite(v))
        return false;
    out += QByteArray::number(v, 'g', QLocale::FloatingPointShortest);
    return true;
}

void encodeValue(QByteArray& out, bool v) { out += v ? "true" : "false"; }

} // namespace brevant::json
