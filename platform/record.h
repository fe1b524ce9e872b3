#pragma once
// Fixed little-endian record layouts and bounded access to their bytes.
//
// A record is a struct with kSize and its fields declared with REC_FIELDS,
// one LeField or Bytes per field. The fields' placement is checked at
// compile time with checkLayout, which reads the same list. Reads go
// through ByteView, which never looks past the bytes it was given: a field
// or text that runs past the end reads as zero or is cut there, whatever a
// reply claims about its own length.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

namespace rec {

inline std::uint16_t loadLe16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t loadLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t loadLe64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(loadLe32(p)) |
           (static_cast<std::uint64_t>(loadLe32(p + 4)) << 32);
}
inline void storeLe16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void storeLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void storeLe64(std::uint8_t* p, std::uint64_t v) {
    storeLe32(p, static_cast<std::uint32_t>(v));
    storeLe32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

template <typename T>
T loadLe(const std::uint8_t* p) {
    static_assert(std::is_unsigned_v<T> || std::is_signed_v<T>);
    if constexpr (sizeof(T) == 1) {
        return static_cast<T>(p[0]);
    } else if constexpr (sizeof(T) == 2) {
        return static_cast<T>(loadLe16(p));
    } else if constexpr (sizeof(T) == 4) {
        return static_cast<T>(loadLe32(p));
    } else {
        static_assert(sizeof(T) == 8);
        return static_cast<T>(loadLe64(p));
    }
}

template <typename T>
void storeLe(std::uint8_t* p, T v) {
    if constexpr (sizeof(T) == 1) {
        p[0] = static_cast<std::uint8_t>(v);
    } else if constexpr (sizeof(T) == 2) {
        storeLe16(p, static_cast<std::uint16_t>(v));
    } else if constexpr (sizeof(T) == 4) {
        storeLe32(p, static_cast<std::uint32_t>(v));
    } else {
        static_assert(sizeof(T) == 8);
        storeLe64(p, static_cast<std::uint64_t>(v));
    }
}

// One integer field: its type (and so its width) and its byte offset.
template <typename T, std::size_t Offset>
struct LeField {
    using Type = T;
    static constexpr std::size_t offset = Offset;
    static constexpr std::size_t width = sizeof(T);
};

// A stretch of bytes: a text or a nested block.
template <std::size_t Offset, std::size_t Width>
struct Bytes {
    static constexpr std::size_t offset = Offset;
    static constexpr std::size_t width = Width;
};

// The fields of a record, in layout order. rec::FieldsEnd closes the list.
struct FieldsEnd {
    static constexpr std::size_t offset = 0;
    static constexpr std::size_t width = 0;
};
template <typename... Fields>
struct FieldList {};

namespace detail {
template <typename F>
constexpr bool isEnd = std::is_same_v<F, FieldsEnd>;

template <typename Record, typename... Fields>
constexpr bool checkFields(FieldList<Fields...>) {
    constexpr std::size_t offsets[] = {Fields::offset...};
    constexpr std::size_t widths[] = {Fields::width...};
    constexpr bool ends[] = {isEnd<Fields>...};
    std::size_t end = 0;
    for (std::size_t i = 0; i < sizeof...(Fields); ++i) {
        if (ends[i]) return i + 1 == sizeof...(Fields);
        if (offsets[i] < end) return false;
        end = offsets[i] + widths[i];
        if (end > Record::kSize) return false;
    }
    return false;  // not closed with FieldsEnd
}
}  // namespace detail

// True when every field of Record::Fields lies inside the record and each
// starts at or after the end of the one listed before it.
template <typename Record>
constexpr bool checkLayout() {
    return detail::checkFields<Record>(typename Record::Fields{});
}

// Declares a record's fields and, from the same list, Fields for
// checkLayout, so that no field can be left out of the check:
//   REC_FIELDS((Flags, LeField<std::uint8_t, 0>),
//              (Name, Bytes<24, 64>))
// declares Flags and Name, and Fields = FieldList<Flags, Name, FieldsEnd>.
#define REC_FIELDS(...)                                  \
    REC_FOR_EACH(REC_DECLARE_FIELD, __VA_ARGS__)          \
    using Fields = ::rec::FieldList<REC_FOR_EACH(REC_LIST_FIELD, __VA_ARGS__)::rec::FieldsEnd>;

#define REC_DECLARE_FIELD_(name, ...) using name = __VA_ARGS__;
#define REC_DECLARE_FIELD(field) REC_DECLARE_FIELD_ field
#define REC_LIST_FIELD_(name, ...) name,
#define REC_LIST_FIELD(field) REC_LIST_FIELD_ field

#define REC_PARENS ()
#define REC_EXPAND(...) REC_EXPAND3(REC_EXPAND3(REC_EXPAND3(REC_EXPAND3(__VA_ARGS__))))
#define REC_EXPAND3(...) REC_EXPAND2(REC_EXPAND2(REC_EXPAND2(REC_EXPAND2(__VA_ARGS__))))
#define REC_EXPAND2(...) REC_EXPAND1(REC_EXPAND1(REC_EXPAND1(REC_EXPAND1(__VA_ARGS__))))
#define REC_EXPAND1(...) __VA_ARGS__
#define REC_FOR_EACH(macro, ...) __VA_OPT__(REC_EXPAND(REC_FOR_EACH_STEP(macro, __VA_ARGS__)))
#define REC_FOR_EACH_STEP(macro, first, ...) \
    macro(first) __VA_OPT__(REC_FOR_EACH_AGAIN REC_PARENS(macro, __VA_ARGS__))
#define REC_FOR_EACH_AGAIN() REC_FOR_EACH_STEP

// Read-only bounded view of received bytes.
class ByteView {
public:
    ByteView() = default;
    ByteView(const void* data, std::size_t size)
        : data_(static_cast<const std::uint8_t*>(data)), size_(data != nullptr ? size : 0) {}

    std::size_t size() const { return size_; }
    const std::uint8_t* data() const { return data_; }

    // The field's value, or 0 when the field does not lie wholly inside.
    template <typename F>
    typename F::Type get() const {
        if (F::offset + F::width > size_) return typename F::Type{};
        return loadLe<typename F::Type>(data_ + F::offset);
    }
    template <typename T>
    T at(std::size_t offset) const {
        if (offset > size_ || sizeof(T) > size_ - offset) return T{};
        return loadLe<T>(data_ + offset);
    }

    // The view of a sub-record, cut at the end of this one.
    ByteView sub(std::size_t offset, std::size_t length) const {
        if (offset >= size_) return ByteView(data_ + size_, 0);
        const std::size_t left = size_ - offset;
        return ByteView(data_ + offset, length < left ? length : left);
    }
    template <typename F>
    ByteView sub() const {
        return sub(F::offset, F::width);
    }

    // A zero-terminated text of at most width bytes, cut at this view's end.
    std::string text(std::size_t offset, std::size_t width) const {
        const ByteView field = sub(offset, width);
        std::size_t n = 0;
        while (n < field.size_ && field.data_[n] != 0) ++n;
        return std::string(reinterpret_cast<const char*>(field.data_), n);
    }
    template <typename F>
    std::string text() const {
        return text(F::offset, F::width);
    }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

// Writable bounded view, for filling requests (and, in the simulator, replies).
class ByteSpan {
public:
    ByteSpan(void* data, std::size_t size)
        : data_(static_cast<std::uint8_t*>(data)), size_(data != nullptr ? size : 0) {}

    std::size_t size() const { return size_; }
    std::uint8_t* data() const { return data_; }
    ByteView view() const { return ByteView(data_, size_); }

    template <typename F>
    void put(typename F::Type value) const {
        if (F::offset + F::width <= size_) storeLe<typename F::Type>(data_ + F::offset, value);
    }
    template <typename T>
    void putAt(std::size_t offset, T value) const {
        if (offset <= size_ && sizeof(T) <= size_ - offset) storeLe<T>(data_ + offset, value);
    }
    ByteSpan sub(std::size_t offset, std::size_t length) const {
        if (offset >= size_) return ByteSpan(data_ + size_, 0);
        const std::size_t left = size_ - offset;
        return ByteSpan(data_ + offset, length < left ? length : left);
    }
    template <typename F>
    ByteSpan sub() const {
        return sub(F::offset, F::width);
    }
    // Copies the text into a field of width bytes, cut to fit, zero-filled.
    void putText(std::size_t offset, std::size_t width, const std::string& text) const {
        ByteSpan field = sub(offset, width);
        if (field.size_ == 0) return;
        std::memset(field.data_, 0, field.size_);
        std::memcpy(field.data_, text.data(), text.size() < field.size_ ? text.size() : field.size_);
    }
    template <typename F>
    void putText(const std::string& text) const {
        putText(F::offset, F::width, text);
    }
    void clear() const {
        if (size_ != 0) std::memset(data_, 0, size_);
    }

private:
    std::uint8_t* data_;
    std::size_t size_;
};

}  // namespace rec
