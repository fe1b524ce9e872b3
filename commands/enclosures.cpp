// enc: lists the enclosures, shows one enclosure's sensors, sets a fan's
// speed, switches and reads locate LEDs, and tells where a disk sits. Every
// reply is read through a bounded view; a count in a reply is never taken
// beyond the entries its buffer holds.

#include "commands/enclosures.h"

#include <cstdint>
#include <vector>

#include "access/enclosure_records.h"
#include "access/hxapi.h"
#include "access/library_records.h"
#include "console/context.h"
#include "console/parsers.h"
#include "platform/console.h"

namespace {

using Buffer = std::vector<std::uint8_t>;

std::uint32_t sizeOf(const Buffer& buffer) { return static_cast<std::uint32_t>(buffer.size()); }

// The enclosure list, read into a cleared reply; returns the library's status.
std::uint32_t readEnclosureList(Buffer& reply) {
    reply.assign(lib::EnclosureInfoReply::kSize, 0);
    std::uint8_t request[lib::EnclosureRequest::kSize] = {};
    const rec::ByteSpan r(request, sizeof request);
    r.put<lib::EnclosureRequest::FirstId>(0);
    r.put<lib::EnclosureRequest::Count>(static_cast<std::uint16_t>(lib::EnclosureInfoReply::kEnclosures));
    return hx_getEnclosureInfo(CONTROLLER_ADDRESS, request, reply.data(), sizeOf(reply));
}

rec::ByteView enclosureRecord(const Buffer& reply, std::size_t id) {
    return rec::ByteView(reply.data(), reply.size())
        .sub<lib::EnclosureInfoReply::Records>()
        .sub(id * lib::EnclosureInfo::kSize, lib::EnclosureInfo::kSize);
}

// An enclosure kind the table does not name.
constexpr const char* kUnknownKind = "Unknown";

void listEnclosures() {
    using E = lib::EnclosureInfo;
    Buffer reply;
    const std::uint32_t status = readEnclosureList(reply);
    if (status != 0) {
        consolePrint("get enclosure info failed, error code:0x%08x\n", status);
        return;
    }
    for (std::size_t i = 0; i < lib::EnclosureInfoReply::kEnclosures; ++i) {
        const rec::ByteView e = enclosureRecord(reply, i);
        const std::uint8_t type = e.get<E::Type>();
        if (type == 0) break;
        const rec::ByteView fw = e.sub<E::ExpanderFirmware>();
        consolePrint(
            "Enclosure ID = %d \nType: %s\nSlotNumber=%d\nFanNumber=%d\n \t\t\tTempNumber=%d\n"
            "VoltageNumber=%d\nExpander FW version:%d.%d.%d.%d \n",
            static_cast<int>(i), codes::nameOf(lib::kEnclosureTypeNames, type, kUnknownKind),
            e.get<E::SlotCount>(), e.get<E::FanCount>(), e.get<E::TemperatureCount>(),
            e.get<E::VoltageCount>(), fw.at<std::uint8_t>(0), fw.at<std::uint8_t>(1),
            fw.at<std::uint8_t>(2), fw.at<std::uint8_t>(3));
    }
}

std::uint32_t cutAt(std::uint32_t count, std::size_t most) {
    return count < most ? count : static_cast<std::uint32_t>(most);
}

void showFullStatus(std::uint8_t enclosureId) {
    using S = lib::EnclosureStatus;
    Buffer reply(lib::EnclosureStatusReply::kSize, 0);
    std::uint8_t request[lib::EnclosureRequest::kSize] = {};
    const rec::ByteSpan r(request, sizeof request);
    r.put<lib::EnclosureRequest::FirstId>(enclosureId);
    r.put<lib::EnclosureRequest::Count>(1);
    r.put<lib::EnclosureRequest::StatusKind>(lib::ENCLOSURE_STATUS_FULL);
    if (hx_getEnclosureStatus(CONTROLLER_ADDRESS, request, reply.data(), sizeOf(reply)) != 0) return;

    const rec::ByteView s = rec::ByteView(reply.data(), reply.size()).sub<lib::EnclosureStatusReply::Status>();
    consolePrint("Enclosure Sensor Info\n");

    const std::uint32_t voltages = cutAt(s.get<S::VoltageCount>(), S::kMaxVoltages);
    consolePrint("\nVoltage Count:%d\n", static_cast<int>(voltages));
    for (std::uint32_t i = 0; i < voltages; ++i) {
        using V = lib::VoltageEntry;
        const rec::ByteView v = s.sub<S::Voltages>().sub(i * V::kSize, V::kSize);
        consolePrint("Voltage %d: %d\n", v.get<V::SensorId>(), v.get<V::Value>());
    }
    const std::uint32_t fans = cutAt(s.get<S::FanCount>(), S::kMaxFans);
    consolePrint("\nFan Count:%d\n", static_cast<int>(fans));
    for (std::uint32_t i = 0; i < fans; ++i) {
        using F = lib::FanEntry;
        const rec::ByteView f = s.sub<S::Fans>().sub(i * F::kSize, F::kSize);
        consolePrint("Fan %d: SpeedCode:%d, Actual Speed Value:%d\n", f.get<F::FanId>(),
                     f.get<F::SpeedCode>(), f.get<F::MeasuredSpeed>());
    }
    const std::uint32_t temperatures = cutAt(s.get<S::TemperatureCount>(), S::kMaxTemperatures);
    consolePrint("\nTemperature Count:%d\n", static_cast<int>(temperatures));
    for (std::uint32_t i = 0; i < temperatures; ++i) {
        using T = lib::TemperatureEntry;
        const rec::ByteView t = s.sub<S::Temperatures>().sub(i * T::kSize, T::kSize);
        consolePrint("Temperature %d: %d\n", t.get<T::SensorId>(), t.get<T::Value>());
    }
    const std::uint32_t carriers = cutAt(s.get<S::CarrierCount>(), S::kMaxCarriers);
    consolePrint("\nCarrier Count:%d\n", static_cast<int>(carriers));
    for (std::uint32_t i = 0; i < carriers; ++i) {
        using C = lib::CarrierEntry;
        const rec::ByteView c = s.sub<S::Carriers>().sub(i * C::kSize, C::kSize);
        consolePrint("Carrier %d: %d\n", static_cast<int>(i), c.get<C::Status>());
    }
}

void showSensorList(std::uint8_t enclosureId) {
    using R = lib::SensorReading;
    Buffer reply(lib::SensorListReply::kSize, 0);
    std::uint8_t request[lib::EnclosureRequest::kSize] = {};
    const rec::ByteSpan r(request, sizeof request);
    r.put<lib::EnclosureRequest::FirstId>(enclosureId);
    r.put<lib::EnclosureRequest::Count>(1);
    r.put<lib::EnclosureRequest::StatusKind>(lib::ENCLOSURE_STATUS_SENSORS);
    hx_getEnclosureStatus(CONTROLLER_ADDRESS, request, reply.data(), sizeOf(reply));

    const rec::ByteView sensors =
        rec::ByteView(reply.data(), reply.size()).sub<lib::SensorListReply::Sensors>();
    for (std::size_t i = 0; i < lib::SensorListReply::kSensors; ++i) {
        const rec::ByteView sensor = sensors.sub(i * R::kSize, R::kSize);
        const std::uint8_t type = sensor.get<R::Type>();
        if (type == lib::SENSOR_NONE) break;
        consolePrint("Sensor Type = %s \tSensor Value: %d\n",
                     codes::nameOf(lib::kSensorTypeNames, type, "Unknown Sensor"),
                     static_cast<int>(sensor.get<R::Value>()));
    }
}

void listSensors(const char* word) {
    const std::uint8_t id = parseEnclosureId(word);
    if (id == kParseFailed) return;
    Buffer list;
    readEnclosureList(list);
    // The list has records for ids 0 to 7 only; a higher id has no known
    // kind, and is asked for the sensor list, which every kind can give.
    const std::uint8_t type =
        id < lib::EnclosureInfoReply::kEnclosures ? enclosureRecord(list, id).get<lib::EnclosureInfo::Type>() : 0;
    if (lib::reportsFullStatus(type)) {
        showFullStatus(id);
    } else {
        showSensorList(id);
    }
}

void setFanSpeed(char** words) {
    // Each word is checked before any is tested, so every bad one is named.
    const std::uint8_t enclosure = parseEnclosureId(words[2]);
    const std::uint8_t fan = parseFanId(words[3]);
    const std::uint8_t code = parseFanSpeedCode(words[4]);
    if (enclosure == kParseFailed || fan == kParseFailed || code == kParseFailed) return;
    using F = lib::EnclosureFanSetting;
    std::uint8_t setting[F::kSize] = {};
    const rec::ByteSpan s(setting, sizeof setting);
    s.put<F::EnclosureId>(enclosure);
    s.put<F::FanId>(fan);
    s.put<F::Item>(lib::ENCLOSURE_SETTING_FAN_SPEED);
    s.put<F::SpeedCode>(code);
    hx_setEnclosureSetting(CONTROLLER_ADDRESS, setting);
}

enum LedControl : std::uint8_t { kLedStop = 0, kLedStart = 1, kLedStatus = 2 };

// The locate LED of one disk: 1 on, 0 off. A query that fails leaves the
// byte as it was set, off.
std::uint8_t diskLedStatus(std::uint32_t diskId) {
    std::uint8_t on = 0;
    hx_getPhyDrvLocateStatus(CONTROLLER_ADDRESS, diskId, &on);
    return on;
}

void printLedStatus(unsigned status) {
    consolePrint("Current LED Control Status(0-OFF and 1-ON):%d.\n", static_cast<int>(status));
}

void locateDisk(char** words) {
    const std::uint8_t disk = parseDiskId(words[2]);
    const std::uint8_t code = parseLedControlCode(words[3]);
    if (disk == kParseFailed || code == kParseFailed) return;
    switch (code) {
        case kLedStop: hx_stopLocatePhyDrv(CONTROLLER_ADDRESS, disk); break;
        case kLedStart: hx_locatePhyDrv(CONTROLLER_ADDRESS, disk, 0); break;
        case kLedStatus: printLedStatus(diskLedStatus(disk)); break;
        default: consolePrint("Invalid LED Control!\n"); break;
    }
}

void locateArray(char** words) {
    const std::uint8_t array = parseArrayId(words[2]);
    const std::uint8_t code = parseLedControlCode(words[3]);
    if (array == kParseFailed || code == kParseFailed) return;
    switch (code) {
        case kLedStop: hx_stopLocateLogDrv(CONTROLLER_ADDRESS, array); return;
        case kLedStart: hx_locateLogDrv(CONTROLLER_ADDRESS, array, 0); return;
        case kLedStatus: break;
        default: consolePrint("Invalid LED Control!\n"); return;
    }
    using L = lib::LogDrvInfo;
    Buffer reply(lib::InfoReplyHeader::kSize + L::kSize, 0);
    std::uint8_t request[lib::InfoRequest::kSize] = {};
    const rec::ByteSpan r(request, sizeof request);
    r.put<lib::InfoRequest::FirstId>(array);
    r.put<lib::InfoRequest::Count>(1);
    if (hx_getLogDrvInfo(CONTROLLER_ADDRESS, request, reply.data(), sizeOf(reply)) != 0) {
        consolePrint("can not get disk id of array%d\n", array);
        return;
    }
    const rec::ByteView record = rec::ByteView(reply.data(), reply.size()).sub(lib::InfoReplyHeader::kSize, L::kSize);
    // A library that lists arrays from the id asked for may return the
    // next array when that one does not exist: its LEDs are not this one's.
    if ((record.get<L::Flags>() & lib::LOGDRV_VALID) == 0 || record.get<L::ArrayId>() != array) {
        consolePrint("can not get disk id of array%d\n", array);
        return;
    }
    const std::uint32_t members = cutAt(record.get<L::MemberCount>(), L::kMaxMembers);
    const rec::ByteView ids = record.sub<L::Members>();
    std::uint8_t status = 1;
    for (std::uint32_t i = 0; i < members; ++i) status &= diskLedStatus(ids.at<std::uint8_t>(i));
    printLedStatus(status);
}

}  // namespace

rec::ByteView readOneDisk(std::uint8_t diskId, std::vector<std::uint8_t>& reply) {
    using P = lib::PhyDrvInfo;
    reply.assign(lib::InfoReplyHeader::kSize + P::kSize, 0);
    std::uint8_t request[lib::InfoRequest::kSize] = {};
    const rec::ByteSpan r(request, sizeof request);
    r.put<lib::InfoRequest::FirstId>(diskId);
    r.put<lib::InfoRequest::Count>(1);
    r.put<lib::InfoRequest::Selector>(255);
    hx_getPhyDrvInfo(CONTROLLER_ADDRESS, request, reply.data(), sizeOf(reply));

    const rec::ByteView view(reply.data(), reply.size());
    // The bytes-filled field as a signed count, in 64 bits so that no value
    // can overflow; the record read stays inside the buffer whatever it says.
    const std::int64_t filled = static_cast<std::int32_t>(view.get<lib::InfoReplyHeader::BytesFilled>());
    if ((filled - static_cast<std::int64_t>(lib::InfoReplyHeader::kSize)) / static_cast<std::int64_t>(P::kSize) == 0) {
        return {};
    }
    const rec::ByteView record = view.sub(lib::InfoReplyHeader::kSize, P::kSize);
    // A library that lists disks from the id asked for returns the next
    // disk when that one does not exist: it is not the disk asked about.
    if (record.get<P::DiskId>() != diskId) return {};
    return record;
}

namespace {

void mapDisk(const char* word) {
    using P = lib::PhyDrvInfo;
    const std::uint8_t disk = parseDiskId(word);
    if (disk == kParseFailed) return;
    Buffer reply;
    const rec::ByteView record = readOneDisk(disk, reply);
    if (record.size() == 0) {
        consolePrint("Disk %d is not existed!\n", disk);
        return;
    }
    const unsigned enclosure = record.get<P::EnclosureId>();
    if (enclosure == 255) {
        consolePrint("No enclosure is existed\n");
        return;
    }
    consolePrint("Physical Disk %d is in CarrierID %d of Enclosure ID %d.\n", disk,
                 record.get<P::CarrierId>(), enclosure);
}

struct SubCommand {
    const char* word;
    std::int32_t wordsNeeded;
};

}  // namespace

std::int32_t enclosureCommand(ControllerDevice**, std::int32_t count, char** words) {
    if (count < 2) {
        printInvalidParameters(words[0]);
        return 1;
    }
    const char* sub = words[1];
    constexpr SubCommand kSubCommands[] = {
        {"LE", 2}, {"LS", 3}, {"setfanspeed", 5}, {"LOC", 4}, {"LOCLD", 4}, {"map", 3},
    };
    const SubCommand* matched = nullptr;
    for (const SubCommand& s : kSubCommands) {
        if (wordEquals(sub, s.word)) {
            matched = &s;
            break;
        }
    }
    if (matched == nullptr) return 1;
    if (count < matched->wordsNeeded) {
        printInvalidParameters(words[0]);
        return 1;
    }
    if (wordEquals(sub, "LE")) {
        listEnclosures();
    } else if (wordEquals(sub, "LS")) {
        listSensors(words[2]);
    } else if (wordEquals(sub, "setfanspeed")) {
        setFanSpeed(words);
    } else if (wordEquals(sub, "LOC")) {
        locateDisk(words);
    } else if (wordEquals(sub, "LOCLD")) {
        locateArray(words);
    } else {
        mapDisk(words[2]);
    }
    return 1;
}
