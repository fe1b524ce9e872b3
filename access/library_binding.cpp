// The management library's operations as this program's own functions,
// each handing the call on to the library loaded at start-up. The trace
// (and a test's hostile library) wraps these exactly as it would wrap the
// library's own entry points.

#include "access/library_binding.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "access/faultlog.h"
#include "access/hxapi_operations.h"
#include "access/trace.h"
#include "platform/console.h"
#include "platform/shared_library.h"

namespace {

// What a thunk answers when the library, or this operation of it, is not
// there. No library of the maker's gives it: it is this program's own.
constexpr std::uint32_t kStatusNotLoaded = 0xE00000FFu;

constexpr int kHxapiMajorVersion = 1;
constexpr int kFaultlogMajorVersion = 1;

struct Operations {
#define HX_OPERATION(name, params, args, reads, fills) decltype(&::name) name = nullptr;
#include "access/hxapi_operations.inc"
#undef HX_OPERATION
    decltype(&::createErrorHandler) createErrorHandler = nullptr;
    decltype(&::logInfoMsg) logInfoMsg = nullptr;
    decltype(&::logErrMsg) logErrMsg = nullptr;
};

// Written once by bindLibraries, before any thread but the main one runs.
Operations bound;
// Never unloaded: the event thread may still be in the library while the
// process ends.
platform::SharedLibrary& hxapiLibrary = *new platform::SharedLibrary;
platform::SharedLibrary& faultlogLibrary = *new platform::SharedLibrary;
std::string hxapiName;        // the file name looked for
std::string kitFolder;        // where the kit was loaded from

std::mutex reportMutex;
unsigned reportedCommand = ~0u;

// Says once per command, on the console's thread, why a call went nowhere.
std::uint32_t notServed(const char* operation) {
    if (std::strcmp(trace::threadName(), "console") != 0) return kStatusNotLoaded;
    const unsigned serial = hxbind::commandSerial().load();
    {
        std::lock_guard<std::mutex> lock(reportMutex);
        if (reportedCommand == serial) return kStatusNotLoaded;
        reportedCommand = serial;
    }
    if (!hxapiLibrary.isOpen()) {
        consolePrint("%s", hxbind::libraryUnavailableLine().c_str());
    } else {
        consolePrint("The management library %s has no operation %s.\n", hxapiLibrary.path().c_str(),
                     operation);
    }
    return kStatusNotLoaded;
}

bool bindHxapi(const std::string& nameOrPath) {
    if (!hxapiLibrary.open(nameOrPath)) return false;
#define HX_OPERATION(name, params, args, reads, fills) \
    bound.name = reinterpret_cast<decltype(bound.name)>(hxapiLibrary.symbol(#name));
#include "access/hxapi_operations.inc"
#undef HX_OPERATION
    return true;
}

void bindFaultlog(const std::string& nameOrPath) {
    if (!faultlogLibrary.open(nameOrPath)) return;
    bound.createErrorHandler =
        reinterpret_cast<decltype(bound.createErrorHandler)>(faultlogLibrary.symbol("createErrorHandler"));
    bound.logInfoMsg = reinterpret_cast<decltype(bound.logInfoMsg)>(faultlogLibrary.symbol("logInfoMsg"));
    bound.logErrMsg = reinterpret_cast<decltype(bound.logErrMsg)>(faultlogLibrary.symbol("logErrMsg"));
}

std::string joined(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder + platform::pathSeparator() + name;
}

// The folders the kit is looked for in: TALO_SIM_KIT alone when set, else
// beside the program (the Windows ZIP, the build tree) and where the Linux
// package puts it.
std::vector<std::string> kitFolders() {
    const char* chosen = std::getenv("TALO_SIM_KIT");
    if (chosen != nullptr && *chosen != '\0') return {chosen};
    const std::string program = platform::programDirectory();
    if (program.empty()) return {};
    return {joined(program, "simulator"),
            joined(joined(joined(joined(program, ".."), "lib"), "talo-tools"), "simulator")};
}

std::string listed(const std::vector<std::string>& folders) {
    std::string out;
    for (const std::string& f : folders) out += (out.empty() ? "" : ", ") + f;
    return out.empty() ? std::string("nowhere: the program's folder is unknown") : out;
}

bool lendersLoan(std::uint32_t address, lib::LentBuffer* found) { return lib::findLentBuffer(address, found); }

// Loads the kit from the first folder that holds it and attaches it. False
// with the reason in why when none can be used.
bool bindKit(const hxbind::Request& request, hxbind::Binding& binding, std::string& why) {
    const std::vector<std::string> folders = kitFolders();
    std::string folder;
    for (const std::string& f : folders) {
        if (platform::isRegularFile(joined(f, hxapiName))) {
            folder = f;
            break;
        }
    }
    if (folder.empty()) {
        why = "no " + hxapiName + " in " + listed(folders);
        return false;
    }
    const std::string path = joined(folder, hxapiName);
    if (!bindHxapi(path)) {
        why = path + ": " + hxapiLibrary.error();
        return false;
    }
    const auto attach = reinterpret_cast<kit::AttachEntry>(hxapiLibrary.symbol(kit::kAttachEntry));
    kit::Host host;
    host.findLentBuffer = &lendersLoan;
    host.statePath = request.statePath;
    kit::Services services;
    if (attach == nullptr || attach(&host, &services) != 0 || services.devices == nullptr) {
        why = path + " is not a simulator kit of this version";
        bound = Operations{};
        hxapiLibrary.close();
        return false;
    }
    kitFolder = folder;
    binding.source = hxbind::Source::Simulator;
    binding.simulatedDevices = services.devices;
    bindFaultlog(joined(folder, platform::sharedLibraryFileName("faultlog", kFaultlogMajorVersion)));
    return true;
}

}  // namespace

namespace hxbind {

bool simulatorChosen() {
    const char* simulator = std::getenv("TALO_SIM");
    return simulator != nullptr && *simulator != '\0';
}

Binding bindLibraries(const Request& request) {
    static bool done = false;
    static Binding binding;
    if (done) return binding;
    done = true;
    hxapiName = platform::sharedLibraryFileName("hxapi", kHxapiMajorVersion);

    std::string why;
    if ((request.statePath != nullptr && *request.statePath != '\0') || simulatorChosen()) {
        if (!bindKit(request, binding, why)) {
            std::fprintf(stderr, "%s: the simulator was chosen (TALO_SIM), but its kit cannot be loaded: %s\n",
                         request.program, why.c_str());
            std::exit(2);
        }
        return binding;
    }
    if (bindHxapi(hxapiName)) {
        binding.source = Source::Maker;
        bindFaultlog(platform::sharedLibraryFileName("faultlog", kFaultlogMajorVersion));
        return binding;
    }
    std::string& unavailable = unavailableLine();
    unavailable = "The management library " + hxapiName + " cannot be loaded (looked for " +
                      platform::librarySearchDescription() + "): " + hxapiLibrary.error() + "\n";
    if (!request.systemHasDriver) {
        // Nothing real can answer here: the kit may, and says so.
        std::string kitWhy;
        if (bindKit(request, binding, kitWhy)) {
            unavailable.clear();
            std::fprintf(stderr,
                         "%s: no Talo controller driver and no %s on this system: the simulated controller "
                         "answers (the simulator kit in %s)\n",
                         request.program, hxapiName.c_str(), kitFolder.c_str());
            return binding;
        }
    }
    binding.source = Source::None;
    return binding;
}

}  // namespace hxbind

// ---- The operations -----------------------------------------------------------

#define HX_OPERATION(name, params, args, reads, fills)     \
    extern "C" std::uint32_t HXAPI_CALL name params {      \
        if (const auto f = bound.name) return f args;      \
        return notServed(#name);                           \
    }
#include "access/hxapi_operations.inc"
#undef HX_OPERATION

extern "C" std::uint32_t createErrorHandler(std::uint32_t* handle, const LogConfig* config) {
    if (bound.createErrorHandler != nullptr) return bound.createErrorHandler(handle, config);
    static std::once_flag noted;
    std::call_once(noted, [] {
        std::fprintf(stderr, "note: %s cannot be loaded; library mode runs without its log\n",
                     platform::sharedLibraryFileName("faultlog", kFaultlogMajorVersion).c_str());
    });
    if (handle != nullptr) *handle = 0;
    return kStatusNotLoaded;
}

// The maker's logInfoMsg takes a format and its arguments; they are
// formatted here and handed on as one text, since a variable argument list
// cannot be passed on through a pointer.
extern "C" std::uint32_t logInfoMsg(std::uint32_t handle, const char* format, ...) {
    if (bound.logInfoMsg == nullptr || format == nullptr) return kStatusNotLoaded;
    char text[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return bound.logInfoMsg(handle, "%s", text);
}

extern "C" std::uint32_t logErrMsg(std::uint32_t handle, std::uint32_t status, const char* text) {
    if (bound.logErrMsg == nullptr) return kStatusNotLoaded;
    return bound.logErrMsg(handle, status, text);
}
