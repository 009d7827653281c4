#pragma once

// The declarative JSON codec over the field lists of JsonFields.h, with the parser. Only the
// request code (and the stand-in daemon) include this; the records themselves do not.
//
// Decoding is strict: a required member that is missing, null or of another type fails the whole
// value with a message naming the key path ("services[2].status"); an optional member
// (std::optional) that is missing or null is absent; unknown keys are ignored.
// Encoding writes every required member, leaves absent optionals out, and keeps declaration order.

#include "JsonFields.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <rapidjson/document.h>

#include <cmath>
#include <optional>
#include <tuple>
#include <type_traits>

namespace brevant::json {

// The parsed form that decoding walks (RapidJSON: Qt's own parser is several times slower).
using Value = rapidjson::Value;

// Where and why decoding failed; the path is built while the failure unwinds.
struct DecodeFailure {
    QString path;
    QString problem;

    void prefixKey(const char* key);
    void prefixIndex(qsizetype index);
    QString text() const;
};

bool decodeValue(const Value& v, QString& out, DecodeFailure& f);
bool decodeValue(const Value& v, qint64& out, DecodeFailure& f);
bool decodeValue(const Value& v, double& out, DecodeFailure& f);
bool decodeValue(const Value& v, bool& out, DecodeFailure& f);
template <class T> bool decodeValue(const Value& v, QList<T>& out, DecodeFailure& f);
template <Record T> bool decodeValue(const Value& v, T& out, DecodeFailure& f);

template <class T> bool decodeValue(const Value& v, QList<T>& out, DecodeFailure& f) {
    if (!v.IsArray()) {
        f.problem = QStringLiteral("is not an array");
        return false;
    }
    out.clear();
    out.reserve(v.Size());
    qsizetype i = 0;
    for (const Value& element : v.GetArray()) {
        if (element.IsNull()) {
            f.problem = QStringLiteral("is null");
            f.prefixIndex(i);
            return false;
        }
        T item{};
        if (!decodeValue(element, item, f)) {
            f.prefixIndex(i);
            return false;
        }
        out.push_back(std::move(item));
        ++i;
    }
    return true;
}

template <class C, class M>
bool decodeField(const Value& object, C& out, const Field<C, M>& fd, DecodeFailure& f) {
    const auto it = object.FindMember(fd.key);
    const bool missing = it == object.MemberEnd();
    const bool null = !missing && it->value.IsNull();
    if constexpr (IsOptional<M>::value) {
        if (missing || null) {
            (out.*fd.member).reset();
            return true;
        }
        typename M::value_type inner{};
        if (!decodeValue(it->value, inner, f)) {
            f.prefixKey(fd.key);
            return false;
        }
        out.*fd.member = std::move(inner);
        return true;
    } else {
        if (missing || null) {
            f.problem = null ? QStringLiteral("is null") : QStringLiteral("is missing");
            f.path.clear();
            f.prefixKey(fd.key);
            return false;
        }
        if (!decodeValue(it->value, out.*fd.member, f)) {
            f.prefixKey(fd.key);
            return false;
        }
        return true;
    }
}

template <Record T> bool decodeValue(const Value& v, T& out, DecodeFailure& f) {
    if (!v.IsObject()) {
        f.problem = QStringLiteral("is not an object");
        return false;
    }
    return std::apply([&](const auto&... fds) { return (decodeField(v, out, fds, f) && ...); }, T::fields());
}

// The memory of one parse: small replies fit in a reused per-thread block, larger ones spill to
// the heap. One at a time per thread.
struct ParseArena {
    ParseArena();
    rapidjson::MemoryPoolAllocator<> allocator;
};

// Parses a whole JSON text strictly (valid UTF-8, nothing after the value, no recursion on
// nesting depth); false with a readable reason otherwise.
// `buffer` holds the text the document points into; it must outlive the document's use.
bool parse(const QByteArray& text, rapidjson::Document& document, QByteArray& buffer, QString& why);

// Decodes a whole JSON text; on failure returns nothing and sets `error` to why
// ("services[2].status is missing", "not valid JSON (...)").
template <class T> std::optional<T> decode(const QByteArray& text, QString* error = nullptr) {
    QString why;
    ParseArena arena;
    QByteArray buffer;
    rapidjson::Document document(&arena.allocator);
    if (parse(text, document, buffer, why)) {
        T value{};
        DecodeFailure f;
        if (decodeValue(document, value, f))
            return value;
        why = f.text();
    }
    if (error)
        *error = why;
    return std::nullopt;
}

// Encoding.
void encodeValue(QByteArray& out, const QString& v);
void encodeValue(QByteArray& out, qint64 v);
bool encodeValue(QByteArray& out, double v);
void encodeValue(QByteArray& out, bool v);
template <class T> bool encodeValue(QByteArray& out, const QList<T>& v);
template <Record T> bool encodeValue(QByteArray& out, const T& v);

template <class T> bool encodeAny(QByteArray& out, const T& v) {
    if constexpr (std::is_same_v<decltype(encodeValue(out, v)), bool>)
        return encodeValue(out, v);
    else {
        encodeValue(out, v);
        return true;
    }
}

template <class T> bool encodeValue(QByteArray& out, const QList<T>& v) {
    out += '[';
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (i)
            out += ',';
        if (!encodeAny(out, v[i]))
            return false;
    }
    out += ']';
    return true;
}

template <class C, class M>
bool encodeField(QByteArray& out, const C& record, const Field<C, M>& fd, bool& first) {
    const M& member = record.*fd.member;
    if constexpr (IsOptional<M>::value) {
        if (!member)
            return true;
    }
    if (!first)
        out += ',';
    first = false;
    out += '"';
    out += fd.key; // keys are plain ASCII identifiers
    out += "\":";
    if constexpr (IsOptional<M>::value)
        return encodeAny(out, *member);
    else
        return encodeAny(out, member);
}

template <Record T> bool encodeValue(QByteArray& out, const T& v) {
    out += '{';
    bool first = true;
    const bool ok =
        std::apply([&](const auto&... fds) { return (encodeField(out, v, fds, first) && ...); }, T::fields());
    out += '}';
    return ok;
}

// Encodes a record as compact JSON; nothing when a member cannot be written (a non-finite number).
template <class T> std::optional<QByteArray> encode(const T& value) {
    QByteArray out;
    out.reserve(128);
    if (!encodeAny(out, value))
        return std::nullopt;
    return out;
}

} // namespace brevant::json
