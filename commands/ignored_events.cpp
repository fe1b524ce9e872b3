// ie: lists, adds and removes the kinds of event on the library's ignore
// list; events of those kinds are not reported, so the event display never
// shows them. The console passes 0 for a word it does not know and leaves
// the refusal to the library.

#include "commands/ignored_events.h"

#include <cstdint>

#include "access/event_records.h"
#include "access/hxapi.h"
#include "console/parsers.h"
#include "platform/console.h"
#include "platform/record.h"

namespace {

std::uint32_t codeOf(const char* word) {
    for (const lib::IgnoredEventKind& kind : lib::kIgnoredEventKinds) {
        if (wordEquals(word, kind.word)) return kind.code;
    }
    return 0;
}

const char* textOf(std::uint32_t code) {
    for (const lib::IgnoredEventKind& kind : lib::kIgnoredEventKinds) {
        if (kind.code == code) return kind.text;
    }
    return "";
}

void list() {
    std::uint8_t bytes[lib::kIgnoreListSize] = {};
    hx_getIgnoreEventList(bytes, sizeof bytes);
    const rec::ByteView codes(bytes, sizeof bytes);
    for (std::size_t i = 0; i < lib::kMaxIgnoredEvents; ++i) {
        const std::uint32_t code = codes.at<std::uint32_t>(4 * i);
        if (code == 0) break;
        consolePrint("ignored event: %s \n", textOf(code));
    }
}

}  // namespace

std::int32_t ignoredEventsCommand(ControllerDevice** currentController, std::int32_t count, char** words) {
    if (*currentController != nullptr) {
        consolePrint("Not supported yet.Please try HX\n");
        return 1;
    }
    if (count < 2) {
        printInvalidParameters(words[0]);
        return 1;
    }
    const bool add = wordEquals(words[1], "add");
    if (wordEquals(words[1], "list")) {
        list();
    } else if (add || wordEquals(words[1], "remove")) {
        // Without its event word the command would pass a word nobody gave.
        if (count < 3) {
            printInvalidParameters(words[0]);
            return 1;
        }
        const std::uint32_t code = codeOf(words[2]);
        const std::uint32_t result = add ? hx_addIgnoreEvent(code) : hx_removeIgnoreEvent(code);
        if (result != 0) {
            consolePrint("unknown event %s.\n", words[2]);
        } else if (add) {
            consolePrint("event %s add to ignore list.\n", words[2]);
        } else {
            consolePrint("event %s remove from ignore list.\n", words[2]);
        }
    } else {
        printInvalidParameters(words[0]);
    }
    return 1;
}
