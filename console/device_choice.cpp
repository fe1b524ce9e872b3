#include "console/device_choice.h"

#include <memory>

#include "access/library_binding.h"
#include "access/trace.h"
#include "platform/device_access.h"

void installChosenDevices() {
    hxbind::Request request;
    request.program = "arraycon";
    request.systemHasDriver = platform::systemHasControllerDriver();
    const hxbind::Binding binding = hxbind::bindLibraries(request);
    // The simulated driver only where the simulator answers the library
    // too: one simulated controller behind both seams, never a real
    // library beside simulated devices.
    platform::DeviceAccess* chosen = binding.simulatedDevices != nullptr ? binding.simulatedDevices
                                                                         : &platform::systemDeviceAccess();
    if (trace::enabled()) {
        // Once per process: the layer outlives every device opened through it.
        static const std::unique_ptr<platform::DeviceAccess> traced = trace::tracingDeviceAccess(*chosen);
        chosen = traced.get();
    }
    platform::installDeviceAccess(chosen);
}
