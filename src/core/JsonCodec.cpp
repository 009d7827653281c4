#include "JsonCodec.h"

#include <QLocale>

#include <cstring>

#include <rapidjson/error/en.h>

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

namespace {
// Reused by every parse on this thread. Decoding never nests (it calls nothing back), so one
// block per thread is enough.
alignas(std::max_align_t) thread_local char arenaBlock[16 * 1024];
} // namespace

ParseArena::ParseArena() : allocator(arenaBlock, sizeof arenaBlock) {}

namespace {
// Well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF), with a fast path
// for ASCII; RapidJSON's own check costs more than the whole parse.
bool isValidUtf8(const unsigned char* p, const unsigned char* end) {
    while (p < end) {
        if (end - p >= 8) {
            quint64 word;
            std::memcpy(&word, p, 8);
            // ASCII without a NUL byte: no byte has its high bit set and none is zero.
            if ((word & 0x8080808080808080ULL) == 0 &&
                ((word - 0x0101010101010101ULL) & ~word & 0x8080808080808080ULL) == 0) {
                p += 8;
                continue;
            }
        }
        const unsigned char c = *p;
        if (c == 0) // raw NUL never belongs in JSON text, and would end the in-place parse early
            return false;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra;
        unsigned lowest;
        unsigned code;
        if ((c & 0xE0) == 0xC0) {
            extra = 1, lowest = 0x80, code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, lowest = 0x800, code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, lowest = 0x10000, code = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i] & 0x3F);
        }
        if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        p += extra + 1;
    }
    return true;
}
} // namespace

bool parse(const QByteArray& whole, rapidjson::Document& document, QByteArray& buffer, QString& why) {
    // Editors on some systems save UTF-8 with a byte-order mark; it says nothing about the content.
    const QByteArrayView text = QByteArrayView(whole).startsWith("\xEF\xBB\xBF")
                                    ? QByteArrayView(whole).sliced(3)
                                    : QByteArrayView(whole);
    if (text.trimmed().isEmpty()) {
        why = QStringLiteral("the body is empty");
        return false;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.constData());
    if (!isValidUtf8(bytes, bytes + text.size())) {
        why = QStringLiteral("not valid JSON (the text is not valid UTF-8 or holds a NUL byte)");
        return false;
    }
    // In place: strings are decoded inside a private copy instead of being copied out one by one.
    buffer = QByteArray(text.constData(), text.size());
    constexpr unsigned flags = rapidjson::kParseIterativeFlag | rapidjson::kParseFullPrecisionFlag;
    document.ParseInsitu<flags>(buffer.data());
    if (document.HasParseError()) {
        why = QStringLiteral("not valid JSON (%1 at offset %2)")
                  .arg(QString::fromLatin1(rapidjson::GetParseError_En(document.GetParseError())))
                  .arg(document.GetErrorOffset());
        return false;
    }
    return true;
}

bool decodeValue(const Value& v, QString& out, DecodeFailure& f) {
    if (!v.IsString()) {
        f.problem = QStringLiteral("is not a string");
        return false;
    }
    out = QString::fromUtf8(v.GetString(), static_cast<qsizetype>(v.GetStringLength()));
    return true;
}

bool decodeValue(const Value& v, qint64& out, DecodeFailure& f) {
    if (!v.IsNumber()) {
        f.problem = QStringLiteral("is not a number");
        return false;
    }
    if (v.IsInt64()) {
        out = v.GetInt64();
        return true;
    }
    // Written with a fraction or an exponent ("3.0", "1e3"): whole and strictly inside the range,
    // since -2^63 - 1 rounds to -2^63 as a double.
    constexpr double limit = 9223372036854775808.0;
    const double d = v.GetDouble();
    if (!v.IsUint64() && std::isfinite(d) && d == std::trunc(d) && d > -limit && d < limit) {
        out = static_cast<qint64>(d);
        return true;
    }
    f.problem = QStringLiteral("is not a 64-bit integer");
    return false;
}

bool decodeValue(const Value& v, double& out, DecodeFailure& f) {
    if (!v.IsNumber()) {
        f.problem = QStringLiteral("is not a number");
        return false;
    }
    out = v.GetDouble();
    return true;
}

bool decodeValue(const Value& v, bool& out, DecodeFailure& f) {
    if (!v.IsBool()) {
        f.problem = QStringLiteral("is not a boolean");
        return false;
    }
    out = v.GetBool();
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

void encodeValue(QByteArray& out, qint64 v) {
    out += QByteArray::number(v);
}

bool encodeValue(QByteArray& out, double v) {
    if (!std::isfinite(v))
        return false;
    out += QByteArray::number(v, 'g', QLocale::FloatingPointShortest);
    return true;
}

void encodeValue(QByteArray& out, bool v) {
    out += v ? "true" : "false";
}

} // namespace brevant::json
