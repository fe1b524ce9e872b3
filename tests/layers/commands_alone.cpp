// Links the command families with nothing of the shell, start-up or the
// device choice: what a test of one family needs. It runs one command in
// library mode before the library is set up, which prints its banner and
// nothing else goes wrong.

#include <cstdio>

#include "commands/inventory.h"
#include "console/words.h"

int main() {
    char line[] = "ld";
    std::int32_t count = 0;
    char* words[MAX_WORDS];
    splitWords(line, &count, words);
    ControllerDevice* current = nullptr;
    const std::int32_t result = listDisksCommand(&current, count, words);
    std::fflush(stdout);
    return result == 1 ? 0 : 1;
}
