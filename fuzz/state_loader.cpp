// The simulator's state loader fed arbitrary text: a document that is not
// JSON, or not a state, is refused with a parse error or BadValue; anything
// else that escapes is a fault. A state that was read must write out and read
// back as the same document.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "fuzz/harness.h"
#include "sim/json_fields.h"
#include "sim/model.h"

FUZZ_NO_INITIALIZE

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    sim::State state;
    try {
        state = nlohmann::json::parse(text).get<sim::State>();
    } catch (const nlohmann::json::parse_error&) {
        return 0;
    } catch (const sim::fields::BadValue&) {
        return 0;
    }
    const std::string written = nlohmann::json(state).dump();
    const sim::State again = nlohmann::json::parse(written).get<sim::State>();
    fuzzCheck(nlohmann::json(again).dump() == written, "a written state reads back differently");
    return 0;
}
