// The notifier's pipe messages as any bytes a client may write: parsing never
// fails, the text holds no zero character, a typed message keeps its type
// through encoding again, and the UTF conversions take any text.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "fuzz/harness.h"
#include "notifier/pipe_message.h"

FUZZ_NO_INITIALIZE

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const notifier::PipeMessage message = notifier::parseMessage(bytes);
    fuzzCheck(message.text.find(u'\0') == std::u16string::npos, "zero character in a text");
    fuzzCheck(message.text.size() <= size / 2, "text longer than the message");

    const std::u16string text = notifier::decodeMessageText(bytes);
    const std::string encoded = notifier::encodeMessage(std::nullopt, text);
    const std::u16string back = notifier::decodeMessageText(
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(encoded.data()),
                                      encoded.size()));
    fuzzCheck(back == text, "an encoded text decodes differently");

    const std::string utf8(reinterpret_cast<const char*>(data), size);
    const std::u16string wide = notifier::utf8ToUtf16(utf8);
    const std::string narrow = notifier::utf16ToUtf8(wide);
    fuzzCheck(notifier::utf8ToUtf16(narrow) == wide, "UTF-8 round trip differs");
    (void)notifier::utf16ToUtf8(text);
    return 0;
}
