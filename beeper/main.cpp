// sounder: the controller alarm on the PC speaker. Each start writes the
// request of its command word into the shared control block; the first one
// stays as the resident instance and beeps until a start asks it to stop.
// It prints nothing and always exits with 0.

#include "beeper/alarm.h"
#include "beeper/command_word.h"
#include "beeper/system_host.h"
#include "platform/resident.h"

int main(int argc, char** argv) {
    try {
        const beeper::Request request =
            beeper::requestFromWord(beeper::commandWord(argc, argv, platform::commandWordPlace()));
        beeper::SystemHost host(beeper::settingsFromEnvironment());
        beeper::runSounder(host, request);
    } catch (...) {
        // Nothing to report: the program has no output.
    }
    return 0;
}
