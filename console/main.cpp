// arraycon: the Talo test console. This is where the program is composed:
// the device layer is chosen here, before start-up opens anything.

#include <cstdio>

#include "console/device_choice.h"
#include "console/startup.h"
#include "platform/console.h"

int main() {
    installChosenDevices();
    platform::setConsoleTitle("Talo Test Console");
    const int code = runStartup();
    std::fflush(stdout);
    return code;
}
