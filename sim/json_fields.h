#pragma once
// Reading and writing the simulator's structures as JSON, each from one list
// of its fields. Reading checks every value against the type of its field
// and refuses what does not fit, naming the place, for example
// controllers[0].disks[2].role:
// - whole numbers must fit the field (no sign for unsigned fields, no
//   fraction; 5.0 is taken as 5);
// - names (of roles, kinds, ...) must be known ones;
// - a field that is absent or null keeps its default, and an optional one
//   stays unset; keys that no field lists are ignored.
// Texts are bytes: one that is valid UTF-8 is a JSON string, any other an
// object {"hex": "..."} with two hex digits per byte.

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace sim::fields {

using nlohmann::json;

// Where a value sits in the document. Kept on the stack while reading and
// spelled out only when a value is refused.
struct Where {
    const Where* parent = nullptr;
    const char* key = nullptr;  // member name; null for an element or the top
    std::size_t index = 0;      // element index when key is null and parent is set

    Where member(const char* name) const { return Where{this, name, 0}; }
    Where element(std::size_t i) const { return Where{this, nullptr, i}; }
    std::string text() const;
};

// A state refused while reading; what() names the place and the reason.
class BadValue : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] void refuse(const Where& where, const std::string& why);

// One field of a structure S: its JSON key and its member.
template <class S, class M>
struct Field {
    const char* key;
    M S::*member;
};
template <class S, class M>
constexpr Field<S, M> field(const char* key, M S::*member) {
    return Field<S, M>{key, member};
}

// A structure's field list: specialize with
//   static constexpr auto list = std::make_tuple(field("a", &S::a), ...);
template <class T>
struct FieldList;

// An enumeration's names: specialize with
//   static constexpr std::array<std::pair<E, const char*>, N> names{...};
template <class E>
struct NameList;

template <class T>
concept HasFields = requires { FieldList<T>::list; };
template <class T>
concept HasNames = std::is_enum_v<T> && requires { NameList<T>::names; };
template <class T>
concept WholeNumber = std::is_integral_v<T> && !std::is_same_v<T, bool>;

// Bytes as JSON, as described above.
void writeBytes(json& j, const std::string& bytes);
void readBytes(const json& j, std::string& bytes, const Where& where);
bool validUtf8(const std::string& bytes);

// Whole numbers: the value of j when it is one that fits [low, high].
std::int64_t readSigned(const json& j, std::int64_t low, std::int64_t high, const Where& where);
std::uint64_t readUnsigned(const json& j, std::uint64_t high, const Where& where);

// The longest list a state may hold: far beyond any real controller's, and
// short enough that reading one cannot exhaust the memory.
constexpr std::size_t kMaxListLength = 65536;

template <class T>
struct Codec;

template <class T>
void writeValue(json& j, const T& value) {
    Codec<T>::write(j, value);
}
template <class T>
void readValue(const json& j, T& value, const Where& where) {
    Codec<T>::read(j, value, where);
}

template <>
struct Codec<bool> {
    static void write(json& j, bool value) { j = value; }
    static void read(const json& j, bool& value, const Where& where) {
        if (!j.is_boolean()) refuse(where, "expected true or false");
        value = j.get<bool>();
    }
};

template <WholeNumber T>
struct Codec<T> {
    static void write(json& j, T value) { j = value; }
    static void read(const json& j, T& value, const Where& where) {
        if constexpr (std::is_signed_v<T>) {
            value = static_cast<T>(readSigned(j, std::numeric_limits<T>::min(),
                                              std::numeric_limits<T>::max(), where));
        } else {
            value = static_cast<T>(readUnsigned(j, std::numeric_limits<T>::max(), where));
        }
    }
};

template <>
struct Codec<std::string> {
    static void write(json& j, const std::string& value) { writeBytes(j, value); }
    static void read(const json& j, std::string& value, const Where& where) {
        readBytes(j, value, where);
    }
};

template <HasNames E>
struct Codec<E> {
    static void write(json& j, E value) {
        for (const auto& [e, name] : NameList<E>::names) {
            if (e == value) {
                j = name;
                return;
            }
        }
        j = nullptr;  // not a value the enumeration lists: read back as the default
    }
    static void read(const json& j, E& value, const Where& where) {
        if (!j.is_string()) refuse(where, "expected a name");
        const auto& text = j.get_ref<const std::string&>();
        for (const auto& [e, name] : NameList<E>::names) {
            if (text == name) {
                value = e;
                return;
            }
        }
        std::string known;
        for (const auto& entry : NameList<E>::names) {
            known += known.empty() ? "" : ", ";
            known += entry.second;
        }
        refuse(where, "unknown name \"" + (validUtf8(text) ? text : std::string("?")) +
                          "\" (known: " + known + ")");
    }
};

template <class T>
struct Codec<std::vector<T>> {
    static void write(json& j, const std::vector<T>& values) {
        j = json::array();
        for (const T& v : values) writeValue(j.emplace_back(), v);
    }
    static void read(const json& j, std::vector<T>& values, const Where& where) {
        if (!j.is_array()) refuse(where, "expected a list");
        if (j.size() > kMaxListLength) {
            refuse(where, "a list of " + std::to_string(j.size()) + " values, more than the " +
                              std::to_string(kMaxListLength) + " taken");
        }
        values.clear();
        values.resize(j.size());
        for (std::size_t i = 0; i < j.size(); ++i) readValue(j[i], values[i], where.element(i));
    }
};

template <class T, std::size_t N>
struct Codec<std::array<T, N>> {
    static void write(json& j, const std::array<T, N>& values) {
        j = json::array();
        for (const T& v : values) writeValue(j.emplace_back(), v);
    }
    static void read(const json& j, std::array<T, N>& values, const Where& where) {
        if (!j.is_array() || j.size() != N) {
            refuse(where, "expected a list of " + std::to_string(N) + " values");
        }
        for (std::size_t i = 0; i < N; ++i) readValue(j[i], values[i], where.element(i));
    }
};

// Reads the members of an object into a structure's fields, and writes them.
template <class S, class Fields>
void writeFields(json& j, const S& s, const Fields& list) {
    if (!j.is_object()) j = json::object();
    std::apply(
        [&](const auto&... f) {
            auto one = [&](const auto& fl) {
                using M = std::remove_cvref_t<decltype(s.*(fl.member))>;
                const M& value = s.*(fl.member);
                if constexpr (requires { value.has_value(); typename M::value_type; }) {
                    if (value) writeValue(j[fl.key], *value);
                } else {
                    writeValue(j[fl.key], value);
                }
            };
            (one(f), ...);
        },
        list);
}

template <class S, class Fields>
void readFields(const json& j, S& s, const Fields& list, const Where& where) {
    if (!j.is_object()) refuse(where, "expected an object");
    std::apply(
        [&](const auto&... f) {
            auto one = [&](const auto& fl) {
                const auto it = j.find(fl.key);
                if (it == j.end() || it->is_null()) return;
                auto& value = s.*(fl.member);
                using M = std::remove_cvref_t<decltype(value)>;
                if constexpr (requires { value.has_value(); typename M::value_type; }) {
                    readValue(*it, value.emplace(), where.member(fl.key));
                } else {
                    readValue(*it, value, where.member(fl.key));
                }
            };
            (one(f), ...);
        },
        list);
}

template <HasFields S>
struct Codec<S> {
    static void write(json& j, const S& s) {
        j = json::object();
        writeFields(j, s, FieldList<S>::list);
    }
    static void read(const json& j, S& s, const Where& where) {
        s = S{};
        readFields(j, s, FieldList<S>::list, where);
    }
};

template <class T>
struct Codec<std::optional<T>> {
    static void write(json& j, const std::optional<T>& value) {
        if (value) {
            writeValue(j, *value);
        } else {
            j = nullptr;
        }
    }
    static void read(const json& j, std::optional<T>& value, const Where& where) {
        if (j.is_null()) {
            value.reset();
        } else {
            readValue(j, value.emplace(), where);
        }
    }
};

}  // namespace sim::fields
