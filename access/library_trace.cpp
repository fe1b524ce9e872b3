// The management library's half of the exchange trace. Every operation is
// put between the console and the library with the linker's --wrap (the
// build reads the list from hxapi_operations.inc), so it works the same
// with the maker's library as with the stand-in. Without TALO_TRACE a
// wrapper costs one test of a flag before it passes the call on.
//
// A traced call is one JSON line: the operation, the calling thread, the
// number arguments, the bytes of every buffer it reads as they were before
// the call ("request") and of every buffer it fills as they are after it
// ("reply"), its status and the microseconds it took. A buffer is given as
// its length and its bytes in hexadecimal up to the last byte that is not
// zero: the bytes after those are zeros.

#include <chrono>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

#include <nlohmann/json.hpp>

#include "access/hxapi_operations.h"
#include "access/trace.h"

namespace {

using Json = nlohmann::ordered_json;

Json bufferBytes(const hxops::Buffer& b) {
    const auto* bytes = static_cast<const std::uint8_t*>(b.data);
    std::size_t used = bytes == nullptr ? 0 : b.length;
    while (used > 0 && bytes[used - 1] == 0) --used;
    return Json{{"length", bytes == nullptr ? 0 : b.length}, {"hex", trace::hex(bytes, used)}};
}

Json buffers(std::initializer_list<hxops::Buffer> list) {
    Json out = Json::object();
    for (const hxops::Buffer& b : list) out[b.name] = bufferBytes(b);
    return out;
}

// The number arguments by their names; the pointers are the buffers.
void addNumbers(Json&, std::string_view) {}

template <typename First, typename... Rest>
void addNumbers(Json& args, std::string_view names, First first, Rest... rest) {
    const std::size_t comma = names.find(',');
    std::string_view name = names.substr(0, comma);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    if constexpr (std::is_integral_v<First>) args[std::string(name)] = first;
    if (comma != std::string_view::npos) addNumbers(args, names.substr(comma + 1), rest...);
}

// One traced call, begun before the library has it and ended after.
class TracedCall {
public:
    TracedCall(const char* name, Json args, std::initializer_list<hxops::Buffer> reads)
        : line_{{"call", name}, {"thread", trace::threadName()}} {
        line_["args"] = std::move(args);
        line_["request"] = buffers(reads);
        start_ = std::chrono::steady_clock::now();
    }

    std::uint32_t end(std::uint32_t status, std::initializer_list<hxops::Buffer> fills) {
        const auto took = std::chrono::steady_clock::now() - start_;
        line_["reply"] = buffers(fills);
        line_["status"] = status;
        line_["us"] = std::chrono::duration_cast<std::chrono::microseconds>(took).count();
        trace::writeLine(line_.dump(-1, ' ', false, Json::error_handler_t::replace));
        return status;
    }

private:
    Json line_;
    std::chrono::steady_clock::time_point start_;
};

template <typename... Args>
Json numbers(std::string_view names, Args... args) {
    Json out = Json::object();
    addNumbers(out, names, args...);
    return out;
}

}  // namespace

// The number arguments of a call, with the names of its arguments spelled out.
#define HX_NUMBERS_OF(...) numbers(#__VA_ARGS__ __VA_OPT__(, ) __VA_ARGS__)
#define HX_NUMBERS(args) HX_NUMBERS_OF args
#define HX_OPERATION(name, params, args, reads, fills)                                \
    extern "C" std::uint32_t HXAPI_CALL __real_##name params;                          \
    extern "C" std::uint32_t HXAPI_CALL __wrap_##name params {                         \
        if (!trace::enabled()) return __real_##name args;                             \
        TracedCall call(#name, HX_NUMBERS(args),                                      \
                        {HX_LIST reads});                                             \
        return call.end(__real_##name args, {HX_LIST fills});                        \
    }                                                                                 \
    static_assert(std::is_same_v<decltype(&name), decltype(&__wrap_##name)>,         \
                  #name " differs from the library's declaration");

#include "access/hxapi_operations.inc"
