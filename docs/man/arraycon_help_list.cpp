// Prints arraycon's general help, the list of its commands with their
// one-line help, for its manual page (docs/man/page.cmake).

#include "console/help_texts.h"

int main() {
    printGeneralHelp();
    return 0;
}
