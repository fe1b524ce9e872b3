#include "console/startup.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "access/driver_device.h"
#include "access/driver_protocol.h"
#include "access/faultlog.h"
#include "access/hxapi.h"
#include "access/library_binding.h"
#include "access/library_records.h"
#include "platform/record.h"
#include "console/context.h"
#include "console/event_display.h"
#include "console/keys.h"
#include "console/shell.h"
#include "platform/console.h"

namespace {

// Calls hx_finalize when library mode ends, however it ends.
struct LibrarySession {
    ~LibrarySession() { hx_finalize(); }
};

void chooseLibraryController() {
    const std::uint32_t count = controllerContext.controllerCount;
    if (count <= 1) {
        controllerContext.selectController(0);
        return;
    }
    consolePrint("More than one controllers are existed\n");
    consolePrint("Please enter the controller ID for which controller you want to use now.\n");
    consolePrint("Controller ID start from 0 to %d\n", static_cast<int>(count - 1));
    for (;;) {
        const char key = readKeyOrEnd(true);
        consolePrint("\n");
        const int choice = static_cast<unsigned char>(key) - '0';
        if (choice >= 0 && static_cast<std::uint32_t>(choice) < count) {
            controllerContext.selectController(static_cast<std::uint16_t>(choice));
            return;
        }
        consolePrint("Invalid controller ID entered!\nPlease enter it again!\n");
    }
}

// False, after saying why, when the management library cannot be loaded:
// library mode then ends at once, as start-up's other failed paths do.
bool libraryLoaded() {
    const std::string& why = hxbind::libraryUnavailableLine();
    if (why.empty()) return true;
    consolePrint("%s", why.c_str());
    return false;
}

void runLibraryMode() {
    controllerContext.libraryMode = 1;
    controllerContext.selectController(0);
    controllerContext.controllerAddress[1] = 0;
    controllerContext.controllerAddress[2] = 0;

    LogConfig logConfig;
    std::memset(&logConfig, 0, sizeof logConfig);
    logConfig.enabled = 1;
    logConfig.level = 3;
    logConfig.logFileName = "hxapitest.log";
    logConfig.sourceName = "HXTest";
    createErrorHandler(&controllerContext.errorHandler, &logConfig);

    std::uint8_t initBlock[lib::InitBlock::kSize] = {};
    const rec::ByteSpan init(initBlock, sizeof initBlock);
    init.put<lib::InitBlock::ErrorHandler>(controllerContext.errorHandler);
    init.put<lib::InitBlock::Magic>(lib::kInitMagic);
    init.put<lib::InitBlock::Flag12>(1);

    LibrarySession session;
    consolePrint("callling hx_initialize() ...\n");
    if (hx_initialize(initBlock) == 0) {
        consolePrint("callling hx_discover() ...\n");
        if (hx_discover(0) == 0) {
            consolePrint("callling hx_getNumberOfHBA() ...\n");
            consolePrint("Number of HBA is %d\n", static_cast<int>(readControllerCount()));
            chooseLibraryController();
            logInfoMsg(controllerContext.errorHandler, "callling hx_getDiscoverPath() for HBA %d",
                       static_cast<int>(controllerContext.controllerIndex));
            std::vector<std::uint8_t> path(lib::kDiscoverPathBufferSize, 0);
            if (hx_getDiscoverPath(controllerContext.controllerAddress[0],
                                   controllerContext.controllerAddress[1], path.data(),
                                   lib::kDiscoverPathBufferSize) == 0) {
                const rec::ByteView view(path.data(), path.size());
                consolePrint("Device Discover Path:\n");
                consolePrint("Device Id: subsys id %d, ctrl id %d\n",
                             view.get<lib::DiscoverPath::SubsystemId>(),
                             view.get<lib::DiscoverPath::ControllerId>());
            }
        }
    }
    consolePrint("\nEnter ? or help for help.\n");
    if (!startEventDisplayThread()) consolePrint("Create display Event Thread failed.\n");
    ControllerDevice* none = nullptr;
    runShell(&none);
}

void runDirectMode() {
    consolePrint("Talo Test Console, V1.0\n");
    consolePrint("Quarrow Technologies. Support: talo-support@quarrow.example\n");
    consolePrint("Looking for Quarrow Talo controller...\n");
    std::int32_t startPort = 0;
    for (;;) {
        std::uint8_t identity[drv::ControllerIdentity::kSize] = {};
        std::unique_ptr<ControllerDevice> found(findController(startPort, identity));
        if (!found) {
            consolePrint("\nTalo controller cannot be found!\n");
            return;
        }
        const rec::ByteView id(identity, sizeof identity);
        consolePrint("\nTalo controller found on scsi%d Driver version: %x.%x.%x.%x\n",
                     found->portNumber, id.get<drv::ControllerIdentity::Version1>(),
                     id.get<drv::ControllerIdentity::Version2>(),
                     id.get<drv::ControllerIdentity::Version3>(),
                     id.get<drv::ControllerIdentity::Version4>());
        consolePrint(
            "\nPress Y to operate with this controller (you can use the 'adapter'\ncommand to "
            "switch to another controller (if available) at any time),\notherwise press N to "
            "continue looking for the next controller. (Y|N): ");
        char key;
        for (;;) {
            key = readKeyOrEnd(false);
            if (key == 'Y' || key == 'y' || key == 'N' || key == 'n') break;
            platform::ringBell();
        }
        if (key == 'N' || key == 'n') {
            consolePrint("N\n");
            consolePrint("\n");
            const std::int32_t port = found->portNumber;
            found.reset();
            if (port == INT32_MAX) {
                consolePrint("\nTalo controller cannot be found!\n");
                return;
            }
            startPort = port + 1;
            continue;
        }
        consolePrint("Y\n");
        consolePrint("\nEnter ? or help for help.\n");
        // The shell may replace the object (adapter); whatever it holds at
        // the end is destroyed here.
        ControllerDevice* currentController = found.release();
        struct Release {
            ControllerDevice*& device;
            ~Release() { delete device; }
        } release{currentController};
        runShell(&currentController);
        return;
    }
}

}  // namespace

std::uint32_t readControllerCount() {
    std::uint32_t reported = 0;
    hx_getNumberOfHBA(&reported);
    controllerContext.controllerCount =
        reported < ControllerContext::kMaxControllers ? reported : ControllerContext::kMaxControllers;
    return reported;
}

int runStartup() {
    try {
        consolePrint("Use HXAPI ? Y/N\n");
        const char key = readKeyOrEnd(false);
        if (key == 'Y' || key == 'y') {
            consolePrint("Y\n");
            if (libraryLoaded()) runLibraryMode();
        } else {
            runDirectMode();
        }
    } catch (const EndOfInput&) {
        // Input ended at a question: everything was released on the way out.
    } catch (const std::bad_alloc&) {
        consolePrint("Start-up stopped: out of memory.\n");
    } catch (...) {
        consolePrint("Start-up stopped by an unexpected error.\n");
    }
    return 0;
}
