#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

namespace brevant {

// Every way a daemon request can fail, with the text a caller may show.
struct RequestError {
    enum class Kind {
        Transport, // no connection, timeout, cancellation, truncated or oversized reply, unsendable request
        Status,    // an HTTP reply whose status is outside 200..299
        Decoding,  // the body is not a decodable envelope of the expected record
        Envelope,  // success false, or no data
    };

    Kind kind = Kind::Transport;
    QString description;
    QString domain; // "DaemonClient" for envelope failures
    int code = 0;   // -1 for envelope failures, the HTTP status for status failures

    static RequestError transport(QString text) { return {Kind::Transport, std::move(text), {}, 0}; }
    static RequestError status(int httpStatus);
    static RequestError decoding(QString text) { return {Kind::Decoding, std::move(text), {}, 0}; }
    static RequestError envelope(std::optional<QString> message);
};

// A value or the error that prevented it.
template <class T> class Result {
public:
    // Only for containers that need a default (QCoro::waitFor): an error until assigned.
    Result() : m_state(std::in_place_index<1>, RequestError::transport(QStringLiteral("No result."))) {}
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(RequestError error) : m_state(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return std::get<0>(m_state); }
    T& value() & { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    const RequestError& error() const { return std::get<1>(m_state); }

private:
    std::variant<T, RequestError> m_state;
};

} // namespace brevant
