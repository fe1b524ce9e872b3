// The shared argument parsers on any word: the first byte picks the parser,
// the rest is the word. Each either accepts a value in its field's range or
// refuses with its message; none reads past the word.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "console/parsers.h"
#include "fuzz/harness.h"
#include "platform/console.h"

namespace {
std::string printed;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    platform::setConsoleCapture(&printed);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t choice = data[0];
    const std::size_t length = strnlen(reinterpret_cast<const char*>(data + 1), size - 1);
    std::unique_ptr<char[]> word(new char[length + 1]);
    std::memcpy(word.get(), data + 1, length);
    word[length] = '\0';
    const char* w = word.get();
    printed.clear();
    switch (choice % 24) {
        case 0: (void)isDecimalString(w); (void)isHexString(w); break;
        case 1: (void)parseArrayId(w); break;
        case 2: (void)parseDiskId(w); break;
        case 3: (void)parseExtentIndex(w); break;
        case 4: (void)parseEnclosureId(w); break;
        case 5: (void)parseFanId(w); break;
        case 6: (void)parseFanSpeedCode(w); break;
        case 7: (void)parseLedControlCode(w); break;
        case 8: {
            std::uint32_t v = 0;
            (void)parseDecimalArg(w, &v, "value");
            break;
        }
        case 9: {
            std::uint32_t v = 0;
            (void)parseHexArg(w, &v, "value");
            break;
        }
        case 10: (void)parseLba(w); break;
        case 11: {
            std::uint8_t count = 0;
            std::uint8_t ids[20] = {};
            (void)parseIdList(&count, ids, word.get());
            fuzzCheck(count <= 20, "more ids than the list holds");
            break;
        }
        case 12: (void)parseDriverRaidLevel(w); break;
        case 13: (void)parseLibraryRaidLevel(w); break;
        case 14: (void)parseDriverCacheMode(w); break;
        case 15: (void)parseLibraryCacheMode(w); break;
        case 16: (void)parseRoundingScheme(w); break;
        case 17: (void)parseInitKind(w); break;
        case 18: (void)parseEnableDisable(w); break;
        case 19: (void)leadingDigitsValue(w); break;
        case 20: {
            std::int64_t v = 0;
            const std::int64_t low = static_cast<std::int8_t>(length);
            if (parseLeadingDigitsArg(w, low, 100000, &v, "value") != 0) {
                fuzzCheck(v >= low && v <= 100000, "value outside its range accepted");
            }
            break;
        }
        case 21: (void)wordEquals(w, "disable"); break;
        case 22: printInvalidParameters(w); break;
        default: {
            // Ids: 0 to 254 accepted, or the failure value.
            const std::uint8_t id = parseArrayId(w);
            (void)id;
            break;
        }
    }
    return 0;
}
