#pragma once
// The messages a controlling program writes into the notifier's pipe: one
// event per message, as UTF-16LE text ending in a zero character.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace notifier {

// At most this many bytes of one message are read; the rest is dropped.
constexpr std::size_t kMaxMessageBytes = 8192;

// The whole message, in any letter case, that ends the notifier.
constexpr std::u16string_view kTerminateRequest = u"#1Terminate Strovia";

enum EventType : std::int32_t { Information = 1, Warning = 2, Error = 3 };

struct PipeMessage {
    bool terminate = false;
    std::int32_t type = Information;
    std::u16string text;
};

// The text of a received message: UTF-16LE code units up to the first zero
// character, or up to the end of the bytes when none comes; an odd trailing
// byte is ignored.
std::u16string decodeMessageText(std::span<const std::uint8_t> bytes);

// A received message read as an event. A text that begins with "#" and a
// decimal number (an optional sign and at least one digit right after the
// "#") is typed: the number is the type, and the text is everything from the
// third character on, whatever the number's length. Any other text is an
// information event with the whole text. A number too large for 32 bits is
// held at the nearest 32-bit value.
PipeMessage parseMessage(std::span<const std::uint8_t> bytes);
PipeMessage parseMessageText(std::u16string_view text);

// A message as a client writes it: the type prefix "#<type>" when a type is
// given, the text, and the terminating zero character, in UTF-16LE.
std::string encodeMessage(std::optional<std::int32_t> type, std::u16string_view text);

// UTF-8 and UTF-16 for the program's edges (command lines, the desktop's
// services, standard error). Malformed input becomes U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

}  // namespace notifier
