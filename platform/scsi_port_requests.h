#pragma once
// The system's SCSI port requests as bytes: the SRB_IO_CONTROL header that
// leads every miniport request, and the pass-through request block. The
// device layer of each system carries them to its driver (the Windows layer
// checks them against the SDK's own structures).

#include <cstddef>
#include <cstdint>

#include "platform/record.h"

namespace drv {

// The Windows SRB_IO_CONTROL header that leads every miniport request.
struct SrbIoControl {
    static constexpr std::size_t kSize = 28;
    REC_FIELDS(
        (HeaderLength, rec::LeField<std::uint32_t, 0>),
        (Signature, rec::Bytes<4, 8>),
        (Timeout, rec::LeField<std::uint32_t, 12>),
        (ControlCode, rec::LeField<std::uint32_t, 16>),
        (ReturnCode, rec::LeField<std::uint32_t, 20>),
        (Length, rec::LeField<std::uint32_t, 24>))
};
static_assert(rec::checkLayout<SrbIoControl>());
static_assert(SrbIoControl::Length::offset + 4 == SrbIoControl::kSize);

constexpr std::uint8_t kDataUnspecified = 2;  // SCSI_IOCTL_DATA_UNSPECIFIED
constexpr std::uint32_t kPassThroughTimeoutSeconds = 10;

// The pass-through request block: the Windows SCSI_PASS_THROUGH_DIRECT
// structure of a 32-bit system (44 bytes), padding, and a 32-byte sense
// buffer. DataBuffer holds a 32-bit address; on 64-bit hosts the buffer
// itself travels beside the block (see DeviceAccess::deviceIoControl).
struct PassThroughBlock {
    static constexpr std::size_t kSize = 80;
    static constexpr std::size_t kScsiPassThroughDirectSize = 44;
    static constexpr std::size_t kSenseSize = 32;
    static constexpr std::size_t kCdbSize = 16;
    REC_FIELDS(
        (Length, rec::LeField<std::uint16_t, 0>),
        (ScsiStatus, rec::LeField<std::uint8_t, 2>),
        (PathId, rec::LeField<std::uint8_t, 3>),
        (TargetId, rec::LeField<std::uint8_t, 4>),
        (Lun, rec::LeField<std::uint8_t, 5>),
        (CdbLength, rec::LeField<std::uint8_t, 6>),
        (SenseInfoLength, rec::LeField<std::uint8_t, 7>),
        (DataIn, rec::LeField<std::uint8_t, 8>),
        (DataTransferLength, rec::LeField<std::uint32_t, 12>),
        (TimeOutValue, rec::LeField<std::uint32_t, 16>),
        (DataBuffer, rec::LeField<std::uint32_t, 20>),
        (SenseInfoOffset, rec::LeField<std::uint32_t, 24>),
        (Cdb, rec::Bytes<28, kCdbSize>),
        (Sense, rec::Bytes<48, kSenseSize>))
};
static_assert(rec::checkLayout<PassThroughBlock>());
static_assert(PassThroughBlock::Cdb::offset + PassThroughBlock::Cdb::width ==
              PassThroughBlock::kScsiPassThroughDirectSize);

}  // namespace drv
