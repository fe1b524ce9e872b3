// The simulator's state loader fed arbitrary text: a document that is not
// JSON is refused by the parser (a syntax error, or a number beyond what a
// double holds), and one that is not a state by the reader with BadValue;
// anything else that escapes is a fault. A state that was read must write out and read
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
    nlohmann::json document;
    try {
        document = nlohmann::json::parse(text);
    } catch (const nlohmann::json::exception&) {
        return 0;
    }
    sim::State state;
    try {
        state = document.get<sim::State>();
    } catch (const sim::fields::BadValue&) {
        return 0;
    }
    const std::string written = nlohmann::json(state).dump();
    const sim::State again = nlohmann::json::parse(written).get<sim::State>();
    fuzzCheck(nlohmann::json(again).dump() == written, "a written state reads back differently");
    return 0;
}
