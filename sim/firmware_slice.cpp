#include "sim/firmware_slice.h"

#include <nlohmann/json.hpp>

#include "sim/json_fields.h"

// The JSON fields of this family's structures, each listed once.
namespace sim::fields {

template <>
struct FieldList<FlashImage> {
    static constexpr auto list = std::make_tuple(
        field("type", &FlashImage::type), field("enclosureId", &FlashImage::enclosureId),
        field("length", &FlashImage::length), field("checksum", &FlashImage::checksum),
        field("time", &FlashImage::time));
};

template <>
struct FieldList<FirmwareSlice> {
    static constexpr auto list =
        std::make_tuple(field("flashImages", &FirmwareSlice::flashImages),
                        field("pendingFirmwareVersion", &FirmwareSlice::pendingFirmwareVersion));
};

}  // namespace sim::fields

namespace sim {

void writeSlice(nlohmann::json& j, const FirmwareSlice& slice) {
    fields::writeFields(j, slice, fields::FieldList<FirmwareSlice>::list);
}

void readSlice(const nlohmann::json& j, FirmwareSlice& slice, const fields::Where& where) {
    fields::readFields(j, slice, fields::FieldList<FirmwareSlice>::list, where);
}

}  // namespace sim
