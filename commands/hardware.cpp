// bat, buz, port, dsp, hplug and alpe. None of them examines the library's
// status: each reply is cleared (or preset) before the call, so a failed
// call reads as no battery, a buzzer that is off, or a setting disabled.

#include "commands/hardware.h"

#include <cstdint>
#include <vector>

#include "access/enclosure_records.h"
#include "access/hxapi.h"
#include "access/library_records.h"
#include "commands/enclosures.h"
#include "console/context.h"
#include "console/parsers.h"
#include "platform/console.h"

namespace {

// The product rounded to single precision, also where the compiler keeps
// floating-point values wider (the x87 unit of 32-bit builds).
float singlePrecision(float value) {
    volatile float rounded = value;
    return rounded;
}

// The battery's temperature word (tenths of a kelvin) in degrees Celsius,
// with the single-precision factor of 0.1.
float batteryCelsius(std::uint16_t raw) {
    return singlePrecision(static_cast<float>(static_cast<int>(raw) - lib::kZeroCelsiusTenthsKelvin) * 0.1f);
}

// The battery's voltage word (millivolts) in volts, with the
// single-precision factor of 0.001.
float batteryVolts(std::uint16_t raw) { return singlePrecision(static_cast<float>(raw) * 0.001f); }

// The operations of one port setting.
struct PortSetting {
    std::uint32_t(HXAPI_CALL* get)(std::uint32_t, std::uint32_t*, std::uint32_t);
    std::uint32_t(HXAPI_CALL* set)(std::uint32_t, const std::uint32_t*, std::uint32_t);
    const char* name;  // as the status line names the setting
};

std::int32_t portSettingCommand(const PortSetting& setting, std::int32_t count, char** words) {
    if (count < 3) {
        printInvalidParameters(words[0]);
        return 1;
    }
    // No validation: a word that is not a number names port 0.
    const auto port = static_cast<std::uint32_t>(static_cast<std::uint64_t>(leadingDigitsValue(words[1])) & 0xFFu);
    if (wordEquals(words[2], "get")) {
        std::uint32_t enabled = 0;
        setting.get(port, &enabled, sizeof enabled);
        consolePrint("%s option in port #%s is %s.\n", setting.name, words[1],
                     enabled != 0 ? "enabled" : "disabled");
        return 1;
    }
    std::uint32_t value = 0;
    if (wordEquals(words[2], "enable")) {
        value = 1;
    } else if (!wordEquals(words[2], "disable")) {
        return 1;
    }
    setting.set(port, &value, sizeof value);
    return 1;
}

}  // namespace

std::int32_t batteryCommand(ControllerDevice**, std::int32_t, char**) {
    using B = lib::BatteryInfo;
    std::uint8_t request[lib::BatteryRequest::kSize] = {};
    std::uint8_t reply[B::kSize] = {};
    hx_getBatteryInfo(CONTROLLER_ADDRESS, request, reply, sizeof reply);
    const rec::ByteView info(reply, sizeof reply);
    if (info.get<B::Present>() == 0) {
        consolePrint("No battery exists!\n");
        return 1;
    }
    const double celsius = batteryCelsius(info.get<B::Temperature>());
    const std::uint16_t voltage = info.get<B::Voltage>();
    if (voltage == lib::BATTERY_CHARGING) {
        consolePrint("Battery Temperature: %2f C\t Battery now is charging can not get Voltage.\n", celsius);
    } else {
        consolePrint("Battery Temperature: %2f C\t Battery Voltage: %2f V\n", celsius,
                     static_cast<double>(batteryVolts(voltage)));
    }
    return 1;
}

std::int32_t buzzerCommand(ControllerDevice**, std::int32_t count, char** words) {
    if (count < 3) {
        printInvalidParameters("buz");
        return 1;
    }
    // The controller id is only checked: the buzzer operations address the
    // selected controller.
    std::uint32_t controllerId = 0;
    if (!parseDecimalArg(words[1], &controllerId, "Controller ID")) return 1;
    if (wordEquals(words[2], "status")) {
        std::uint8_t on = 0;
        hx_getBuzzerStatus(CONTROLLER_ADDRESS, &on, sizeof on);
        consolePrint("The buzzer is %s.\n", on != 0 ? "on" : "off");
        return 1;
    }
    const std::uint8_t enable = parseEnableDisable(words[2]);
    if (enable == kParseFailed) return 1;
    if (enable == 1) {
        hx_turnOnBuzzer(CONTROLLER_ADDRESS);
    } else {
        hx_turnOffBuzzer(CONTROLLER_ADDRESS);
    }
    return 1;
}

std::int32_t portCommand(ControllerDevice**, std::int32_t, char**) {
    std::uint32_t value = 0;
    hx_getPortInfo(CONTROLLER_ADDRESS, &value);
    consolePrint("Port is %d.\n", static_cast<int>(value));
    return 1;
}

std::int32_t dataSpeedCommand(ControllerDevice**, std::int32_t count, char** words) {
    if (count < 2) {
        printInvalidParameters("dsp");
        return 1;
    }
    if (count == 2) {
        std::uint32_t enable = 0;
        if (wordEquals(words[1], "enable")) {
            enable = 1;
        } else if (!wordEquals(words[1], "disable")) {
            return 1;
        }
        hx_setDataTransferSpeedTX(CONTROLLER_ADDRESS, &enable, sizeof enable);
        consolePrint("3G setting success,need reboot system to effect");
        return 1;
    }
    if (!wordEquals(words[2], "get")) return 1;
    const std::uint8_t disk = parseDiskId(words[1]);
    if (disk == kParseFailed) return 1;

    using P = lib::PhyDrvInfo;
    std::vector<std::uint8_t> reply;
    const rec::ByteView record = readOneDisk(disk, reply);
    if (record.size() == 0) {
        consolePrint("Disk %d is not existed!\n", disk);
        return 1;
    }
    const bool supported = record.get<P::Speed3gSupported>() != 0;
    consolePrint("3G feature is %s supported in disk with ID %d\n", supported ? "" : "not", disk);
    if (supported) {
        consolePrint("3G feature is %s in disk with ID %d\n",
                     record.get<P::Speed3gEnabled>() != 0 ? "enabled" : "disabled", disk);
    }
    return 1;
}

std::int32_t hotPlugCommand(ControllerDevice**, std::int32_t count, char** words) {
    return portSettingCommand({hx_getPortHotPlug, hx_setPortHotPlug, "Hotplug"},
                              count, words);
}

std::int32_t alpeCommand(ControllerDevice**, std::int32_t count, char** words) {
    return portSettingCommand({hx_getPortALPE, hx_setPortALPE, "ALPE"}, count,
                              words);
}
