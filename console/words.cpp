#include "console/words.h"

#include <cstring>

namespace {

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

void splitWords(char* line, std::int32_t* count, char** words) {
    *count = 0;
    for (int i = 0; i < MAX_WORDS; ++i) words[i] = nullptr;
    char* p = line;
    while (isSeparator(*p)) ++p;
    while (*p != '\0') {
        if (*count == MAX_WORDS) return;
        if (*p == '#') return;
        char* start;
        char* end;
        if (*p == '"' || *p == '(') {
            const char close = *p == '"' ? '"' : ')';
            start = p + 1;
            end = std::strchr(start, close);
        } else {
            start = p;
            end = start;
            while (*end != '\0' && !isSeparator(*end) && *end != '#') ++end;
            if (*end == '\0') end = nullptr;
        }
        words[(*count)++] = start;
        if (end == nullptr) return;
        const bool comment = *end == '#';  // only a plain word ends at a #
        *end = '\0';
        if (comment) return;
        p = end + 1;
        while (isSeparator(*p)) ++p;
    }
}
