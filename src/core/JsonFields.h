#pragma once

// How a record lists its JSON members, without the parser: records and the views that read them
// include only this; the decoding and encoding templates are in JsonCodec.h. A record lists its
// members once, in declaration order:
//
//     static constexpr auto fields() { return std::make_tuple(field("name", &Rec::name), ...); }
//
// std::optional marks an optional member.

#include <optional>
#include <tuple>
#include <type_traits>

namespace brevant::json {

template <class C, class M> struct Field {
    const char* key;
    M C::*member;
};

template <class C, class M> constexpr Field<C, M> field(const char* key, M C::*member) {
    return {key, member};
}

template <class T>
concept Record = requires {
    T::fields();
};

template <class T> struct IsOptional : std::false_type {};
template <class T> struct IsOptional<std::optional<T>> : std::true_type {};

} // namespace brevant::json
