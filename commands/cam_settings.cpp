// gsc: the CAM setting bits. The controller keeps a saved copy, used from
// its next firmware start, and the current one; a change starts from the
// saved copy and hands back every other bit and byte as read.

#include "commands/cam_settings.h"

#include <cstdint>

#include "access/hxapi.h"
#include "access/library_records.h"
#include "access/settings_records.h"
#include "console/context.h"
#include "console/parsers.h"
#include "platform/console.h"

namespace {

using CB = lib::CamSettingBlock;

struct CamItem {
    const char* word;
    std::uint32_t bit;
    const char* usage;  // for the invalid-parameters message
};

constexpr CamItem kCamItems[] = {
    {"portremap", lib::CAM_PORT_REMAP, "gsc portremap"},
    {"buzzer", lib::CAM_BUZZER, "gsc buzzer"},
    {"spinup", lib::CAM_SPIN_UP, "gsc spinup"},
};

bool readCam(std::uint32_t copy, std::uint8_t* bytes) {
    return hx_GetCAMSetting(CONTROLLER_ADDRESS, lib::kCamTarget, copy, bytes, CB::kSize) == 0;
}

void dumpCamSetting() {
    std::uint8_t info[lib::AdapterInfo::kSize] = {};
    std::uint8_t key[lib::InfoRequest::kSize] = {};
    rec::ByteSpan(key, sizeof key).put<lib::InfoRequest::Count>(1);
    if (hx_getControllerInfo(CONTROLLER_ADDRESS, key, info, sizeof info) != 0) {
        consolePrint("Failed to get AdapterInfo in DumpCamSetting\n");
        return;
    }
    std::uint8_t bytes[CB::kSize] = {};
    if (readCam(lib::kCamSavedCopy, bytes)) {
        consolePrint("Saving Cam Setting: %x\n", rec::ByteView(bytes, sizeof bytes).get<CB::Bits>());
    }
    std::uint8_t current[CB::kSize] = {};
    if (readCam(lib::kCamCurrentCopy, current)) {
        consolePrint("Current Cam Setting: %x\n", rec::ByteView(current, sizeof current).get<CB::Bits>());
    }
}

}  // namespace

std::int32_t camSettingsCommand(ControllerDevice**, std::int32_t count, char** words) {
    if (count < 2) {
        dumpCamSetting();
        return 1;
    }
    const CamItem* item = nullptr;
    for (const CamItem& candidate : kCamItems) {
        if (wordEquals(words[1], candidate.word)) {
            item = &candidate;
            break;
        }
    }
    if (item == nullptr) {
        consolePrint("Invalid sub-command '%s' specified.\n", words[1]);
        return 1;
    }
    // An empty value word ("") counts as missing: it has no character to
    // name in the refusal.
    if (count < 3 || words[2][0] == '\0') {
        printInvalidParameters(item->usage);
        return 1;
    }
    const char* value = words[2];
    const bool on = value[0] == '1' && value[1] == '\0';
    if (!on && !(value[0] == '0' && value[1] == '\0')) {
        consolePrint("Invalid %s value '%c' specified.\n", item->word, value[0]);
        return 1;
    }
    std::uint8_t bytes[CB::kSize] = {};
    if (!readCam(lib::kCamSavedCopy, bytes)) {
        consolePrint("Can't get CAM Setting\n");
        return 1;
    }
    const rec::ByteSpan block(bytes, sizeof bytes);
    const std::uint32_t bits = block.view().get<CB::Bits>();
    block.put<CB::Bits>(on ? (bits | item->bit) : (bits & ~item->bit));
    const std::uint32_t result = hx_SetCAMSetting(CONTROLLER_ADDRESS, lib::kCamTarget, bytes, CB::kSize);
    // The library answers a port remapping change with a non-zero status
    // when the firmware must start again for it to work.
    if (item->bit == lib::CAM_PORT_REMAP && result != 0) {
        consolePrint("Please restart firmware to make this change work\n");
    }
    return 1;
}
