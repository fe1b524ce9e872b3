#pragma once
// What the console and the controller's driver exchange through the SCSI
// port device: the miniport identification request and the pass-through
// request block. Both sides of the simulation use these same definitions.

#include <cstdint>

#include "access/record.h"

namespace drv {

// "TALO" read as a big-endian character constant; on the wire O, L, A, T.
constexpr std::uint32_t kTaloMagic = 0x54414C4Fu;
constexpr char kMiniportSignature[8] = {'K', 'O', 'R', 'V', 'E', 'L', 'I', 'N'};
constexpr std::uint32_t kIdentifyControlCode = 1;
constexpr std::uint32_t kIdentifyTimeoutSeconds = 10;

// The Windows SRB_IO_CONTROL header that leads every miniport request.
struct SrbIoControl {
    static constexpr std::size_t kSize = 28;
    using HeaderLength = rec::LeField<std::uint32_t, 0>;
    using Signature = rec::Bytes<4, 8>;
    using Timeout = rec::LeField<std::uint32_t, 12>;
    using ControlCode = rec::LeField<std::uint32_t, 16>;
    using ReturnCode = rec::LeField<std::uint32_t, 20>;
    using Length = rec::LeField<std::uint32_t, 24>;
};
static_assert(rec::checkLayout<SrbIoControl, SrbIoControl::HeaderLength, SrbIoControl::Signature,
                               SrbIoControl::Timeout, SrbIoControl::ControlCode,
                               SrbIoControl::ReturnCode, SrbIoControl::Length>());
static_assert(SrbIoControl::Length::offset + 4 == SrbIoControl::kSize);

// The identification answer: driver version, magic and target id.
struct ControllerIdentity {
    static constexpr std::size_t kSize = 40;
    using Version1 = rec::LeField<std::uint32_t, 0>;
    using Version2 = rec::LeField<std::uint32_t, 4>;
    using Version3 = rec::LeField<std::uint32_t, 8>;
    using Version4 = rec::LeField<std::uint32_t, 12>;
    using Magic = rec::LeField<std::uint32_t, 16>;
    using TargetId = rec::LeField<std::uint8_t, 24>;
};
static_assert(rec::checkLayout<ControllerIdentity, ControllerIdentity::Version1,
                               ControllerIdentity::Version2, ControllerIdentity::Version3,
                               ControllerIdentity::Version4, ControllerIdentity::Magic,
                               ControllerIdentity::TargetId>());

// One buffer, sent and received: the header, then the identity.
struct IdentifyRequest {
    static constexpr std::size_t kSize = SrbIoControl::kSize + ControllerIdentity::kSize;
    using Header = rec::Bytes<0, SrbIoControl::kSize>;
    using Identity = rec::Bytes<SrbIoControl::kSize, ControllerIdentity::kSize>;
    using Magic = rec::LeField<std::uint32_t, 44>;
    using TargetId = rec::LeField<std::uint8_t, 52>;
};
static_assert(IdentifyRequest::kSize == 68);
static_assert(rec::checkLayout<IdentifyRequest, IdentifyRequest::Header, IdentifyRequest::Identity>());
static_assert(IdentifyRequest::Magic::offset ==
              IdentifyRequest::Identity::offset + ControllerIdentity::Magic::offset);
static_assert(IdentifyRequest::TargetId::offset ==
              IdentifyRequest::Identity::offset + ControllerIdentity::TargetId::offset);

}  // namespace drv

namespace drv {

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
    using Length = rec::LeField<std::uint16_t, 0>;
    using ScsiStatus = rec::LeField<std::uint8_t, 2>;
    using PathId = rec::LeField<std::uint8_t, 3>;
    using TargetId = rec::LeField<std::uint8_t, 4>;
    using Lun = rec::LeField<std::uint8_t, 5>;
    using CdbLength = rec::LeField<std::uint8_t, 6>;
    using SenseInfoLength = rec::LeField<std::uint8_t, 7>;
    using DataIn = rec::LeField<std::uint8_t, 8>;
    using DataTransferLength = rec::LeField<std::uint32_t, 12>;
    using TimeOutValue = rec::LeField<std::uint32_t, 16>;
    using DataBuffer = rec::LeField<std::uint32_t, 20>;
    using SenseInfoOffset = rec::LeField<std::uint32_t, 24>;
    using Cdb = rec::Bytes<28, kCdbSize>;
    using Sense = rec::Bytes<48, kSenseSize>;
};
static_assert(rec::checkLayout<PassThroughBlock, PassThroughBlock::Length,
                               PassThroughBlock::ScsiStatus, PassThroughBlock::PathId,
                               PassThroughBlock::TargetId, PassThroughBlock::Lun,
                               PassThroughBlock::CdbLength, PassThroughBlock::SenseInfoLength,
                               PassThroughBlock::DataIn, PassThroughBlock::DataTransferLength,
                               PassThroughBlock::TimeOutValue, PassThroughBlock::DataBuffer,
                               PassThroughBlock::SenseInfoOffset, PassThroughBlock::Cdb,
                               PassThroughBlock::Sense>());
static_assert(PassThroughBlock::Cdb::offset + PassThroughBlock::Cdb::width ==
              PassThroughBlock::kScsiPassThroughDirectSize);

// Opcodes of the vendor command families.
constexpr std::uint8_t kOpArray = 0xE0;       // one array; its id in CDB byte 15
constexpr std::uint8_t kOpTable = 0xE1;       // table reads and disk-level control
constexpr std::uint8_t kOpDisk = 0xE2;        // sector access and error simulation
constexpr std::uint8_t kOpController = 0xE3;  // controller information

constexpr std::uint8_t kScsiStatusGood = 0x00;
constexpr std::uint8_t kScsiStatusCheckCondition = 0x02;

}  // namespace drv

// Record sizes of the all-entries table reads (one record, and 128 of them
// when the id is 0xFF).
constexpr std::uint8_t kAllEntries = 0xFF;
constexpr std::uint32_t kMaxSlots = 128;
constexpr std::uint32_t kDiskTableEntrySize = 112;
constexpr std::uint32_t kArrayTableEntrySize = 120;
constexpr std::uint32_t kArrayActivityEntrySize = 144;
