// adapter: the list of controllers and the switch to another one, through
// the controller context in library mode and the port scan in direct mode.

#include "commands/adapter.h"

#include <cstdint>
#include <memory>

#include "access/driver_device.h"
#include "access/driver_protocol.h"
#include "console/context.h"
#include "console/parsers.h"
#include "platform/console.h"
#include "platform/record.h"

namespace {

constexpr const char* kNotFound = "Cannot find the specified controller!\n";

// The port after the given one, or none when the given one is the last a
// port number can name.
bool nextPort(std::int32_t port, std::int32_t* next) {
    if (port < 0 || port == INT32_MAX) return false;
    *next = port + 1;
    return true;
}

void printFoundLine(std::uint64_t number, const ControllerDevice& controller,
                    const std::uint8_t* identity) {
    const rec::ByteView id(identity, drv::ControllerIdentity::kSize);
    consolePrint("%llu: Talo controller found on scsi%d Driver version: %x.%x.%x.%x\n",
                 static_cast<unsigned long long>(number), controller.portNumber,
                 id.get<drv::ControllerIdentity::Version1>(),
                 id.get<drv::ControllerIdentity::Version2>(),
                 id.get<drv::ControllerIdentity::Version3>(),
                 id.get<drv::ControllerIdentity::Version4>());
}

// Every Talo controller from port 0 on, one line each, numbered from 0.
void listControllers() {
    std::uint8_t identity[drv::ControllerIdentity::kSize] = {};
    std::uint64_t number = 0;
    std::int32_t port = 0;
    for (;;) {
        std::unique_ptr<ControllerDevice> found(findController(port, identity));
        if (!found) return;
        printFoundLine(number, *found, identity);
        ++number;
        if (!nextPort(found->portNumber, &port)) return;
    }
}

// The n-th Talo controller of the scan from port 0 (counted from 0), open,
// or null when the scan ends first. Those before it are closed again.
std::unique_ptr<ControllerDevice> findNthController(std::uint64_t n) {
    std::uint8_t identity[drv::ControllerIdentity::kSize] = {};
    std::uint64_t number = 0;
    std::int32_t port = 0;
    for (;;) {
        std::unique_ptr<ControllerDevice> found(findController(port, identity));
        if (!found || number == n) return found;
        ++number;
        if (!nextPort(found->portNumber, &port)) return nullptr;
    }
}

// The id word's value; a value too large for any number saturates, so it
// never comes back as a small index.
std::uint64_t controllerNumber(const char* word) {
    return static_cast<std::uint64_t>(leadingDigitsValue(word));
}

void adapterFromLibrary(std::int32_t count, char** words) {
    const std::uint32_t controllers = controllerContext.controllerCount;
    const std::uint16_t current = controllerContext.controllerIndex;
    if (count < 2) {
        consolePrint("There are %lld controllers. Controller ID is from 0 to %lld\n",
                     static_cast<long long>(controllers), static_cast<long long>(controllers) - 1);
        consolePrint("Current used controller ID: %d\n", static_cast<int>(current));
        return;
    }
    if (!isDecimalString(words[1])) {
        consolePrint("Invalid controller ID specified.\n");
        return;
    }
    const std::uint64_t n = controllerNumber(words[1]);
    // An index the context cannot hold names no controller it can address.
    if (n >= controllers || n > UINT16_MAX) {
        consolePrint("%s", kNotFound);
        return;
    }
    if (n == current) {
        consolePrint("No switch was made. Controller ID %d is currently used now!\n",
                     static_cast<int>(current));
        return;
    }
    consolePrint("Controller ID was switched to %d from %d.\n", static_cast<int>(n),
                 static_cast<int>(current));
    controllerContext.selectController(static_cast<std::uint16_t>(n));
}

void adapterFromDriver(ControllerDevice** currentController, std::int32_t count, char** words) {
    if (count < 2) {
        listControllers();
        consolePrint("Current adapter is at scsi%d\n", (*currentController)->portNumber);
        return;
    }
    if (!isDecimalString(words[1])) {
        consolePrint("Invalid adapter ID specified.\n");
        return;
    }
    const std::uint64_t n = controllerNumber(words[1]);
    std::unique_ptr<ControllerDevice> found = findNthController(n);
    if (!found) {
        consolePrint("%s", kNotFound);
        return;
    }
    // The new controller is open before the old one is closed.
    delete *currentController;
    *currentController = found.release();
    consolePrint("Controller was switched to %llu at scsi%d.\n", static_cast<unsigned long long>(n),
                 (*currentController)->portNumber);
}

}  // namespace

std::int32_t adapterCommand(ControllerDevice** currentController, std::int32_t count, char** words) {
    if (currentController == nullptr || *currentController == nullptr) {
        adapterFromLibrary(count, words);
    } else {
        adapterFromDriver(currentController, count, words);
    }
    return 1;
}
