#include "sim/json_fields.h"

namespace sim::fields {

std::string Where::text() const {
    if (parent == nullptr) return key != nullptr ? key : "";
    std::string before = parent->text();
    if (key == nullptr) return before + "[" + std::to_string(index) + "]";
    return before.empty() ? std::string(key) : before + "." + key;
}

void refuse(const Where& where, const std::string& why) {
    const std::string place = where.text();
    throw BadValue((place.empty() ? std::string("the top level") : place) + ": " + why);
}

bool validUtf8(const std::string& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t more = 0;
        std::uint32_t code = 0;
        std::uint32_t lowest = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            code = c & 0x1Fu;
            lowest = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            code = c & 0x0Fu;
            lowest = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            code = c & 0x07u;
            lowest = 0x10000;
        } else {
            return false;
        }
        if (n - i - 1 < more) return false;
        for (std::size_t k = 1; k <= more; ++k) {
            const unsigned char t = p[i + k];
            if ((t & 0xC0u) != 0x80u) return false;
            code = (code << 6) | (t & 0x3Fu);
        }
        if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += more + 1;
    }
    return true;
}

void writeBytes(json& j, const std::string& bytes) {
    if (validUtf8(bytes)) {
        j = bytes;
        return;
    }
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        hex += digits[b >> 4];
        hex += digits[b & 0x0F];
    }
    j = json{{"hex", hex}};
}

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

void readBytes(const json& j, std::string& bytes, const Where& where) {
    if (j.is_string()) {
        bytes = j.get_ref<const std::string&>();
        return;
    }
    const auto hex = j.is_object() && j.size() == 1 ? j.find("hex") : j.end();
    if (hex == j.end() || !hex->is_string()) refuse(where, "expected a text or {\"hex\": \"...\"}");
    const auto& digits = hex->get_ref<const std::string&>();
    if (digits.size() % 2 != 0) refuse(where.member("hex"), "expected pairs of hex digits");
    std::string out;
    out.reserve(digits.size() / 2);
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const int high = hexDigit(digits[i]);
        const int low = hexDigit(digits[i + 1]);
        if (high < 0 || low < 0) refuse(where.member("hex"), "expected pairs of hex digits");
        out += static_cast<char>(high * 16 + low);
    }
    bytes = std::move(out);
}

namespace {

// A JSON number that is a whole number given with a fraction part or an
// exponent (5.0, 1e3): its value when finite and whole, else a refusal.
double wholeFloat(const json& j, const Where& where) {
    const double v = j.get<double>();
    if (!std::isfinite(v) || std::trunc(v) != v) refuse(where, "expected a whole number");
    return v;
}

[[noreturn]] void outOfRange(const Where& where, const std::string& low, const std::string& high) {
    refuse(where, "out of range (" + low + " to " + high + ")");
}

}  // namespace

std::int64_t readSigned(const json& j, std::int64_t low, std::int64_t high, const Where& where) {
    const auto range = [&] { outOfRange(where, std::to_string(low), std::to_string(high)); };
    if (j.is_number_unsigned()) {
        const auto v = j.get<std::uint64_t>();
        if (std::cmp_greater(v, high)) range();
        return static_cast<std::int64_t>(v);
    }
    if (j.is_number_integer()) {
        const auto v = j.get<std::int64_t>();
        if (v < low || v > high) range();
        return v;
    }
    if (j.is_number_float()) {
        const double v = wholeFloat(j, where);
        // Compared as doubles, both bounds exact: the range is [low, high + 1).
        if (v < static_cast<double>(low) || v >= static_cast<double>(high) + 1.0) range();
        const auto whole = static_cast<std::int64_t>(v);
        if (whole < low || whole > high) range();
        return whole;
    }
    refuse(where, "expected a whole number");
}

std::uint64_t readUnsigned(const json& j, std::uint64_t high, const Where& where) {
    const auto range = [&] { outOfRange(where, "0", std::to_string(high)); };
    if (j.is_number_unsigned()) {
        const auto v = j.get<std::uint64_t>();
        if (v > high) range();
        return v;
    }
    if (j.is_number_integer()) {
        const auto v = j.get<std::int64_t>();
        if (v < 0 || std::cmp_greater(v, high)) range();
        return static_cast<std::uint64_t>(v);
    }
    if (j.is_number_float()) {
        const double v = wholeFloat(j, where);
        // 2^64 as a double is exact; high + 1 may round, so test the cast too.
        if (v < 0 || v >= 18446744073709551616.0) range();
        const auto whole = static_cast<std::uint64_t>(v);
        if (whole > high) range();
        return whole;
    }
    refuse(where, "expected a whole number");
}

}  // namespace sim::fields
