// arraycon: the Talo test console.

#include <cstdio>

#include "console/startup.h"
#include "platform/console.h"

int main() {
    platform::setConsoleTitle("Talo Test Console");
    const int code = runStartup();
    std::fflush(stdout);
    return code;
}
