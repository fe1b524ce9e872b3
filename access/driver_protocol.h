#pragma once
// What the console and the controller's driver exchange through the SCSI
// port device: the Talo miniport's identification and the vendor opcodes.
// The system's request structures themselves are in
// platform/scsi_port_requests.h. Both sides of the simulation use these same
// definitions.

#include <cstdint>

#include "platform/record.h"
#include "platform/scsi_port_requests.h"

namespace drv {

// "TALO" read as a big-endian character constant; on the wire O, L, A, T.
constexpr std::uint32_t kTaloMagic = 0x54414C4Fu;
constexpr char kMiniportSignature[8] = {'K', 'O', 'R', 'V', 'E', 'L', 'I', 'N'};
constexpr std::uint32_t kIdentifyControlCode = 1;
constexpr std::uint32_t kIdentifyTimeoutSeconds = 10;

// The identification answer: driver version, magic and target id, and the
// controller's PCI device and subsystem ids, the same two the library's
// discover path reports, by which a library-mode command finds the device
// of the controller the library numbers.
struct ControllerIdentity {
    static constexpr std::size_t kSize = 40;
    REC_FIELDS(
        (Version1, rec::LeField<std::uint32_t, 0>),
        (Version2, rec::LeField<std::uint32_t, 4>),
        (Version3, rec::LeField<std::uint32_t, 8>),
        (Version4, rec::LeField<std::uint32_t, 12>),
        (Magic, rec::LeField<std::uint32_t, 16>),
        (ControllerId, rec::LeField<std::uint16_t, 20>),
        (SubsystemId, rec::LeField<std::uint16_t, 22>),
        (TargetId, rec::LeField<std::uint8_t, 24>))
};
static_assert(rec::checkLayout<ControllerIdentity>());

// One buffer, sent and received: the header, then the identity.
struct IdentifyRequest {
    static constexpr std::size_t kSize = SrbIoControl::kSize + ControllerIdentity::kSize;
    REC_FIELDS(
        (Header, rec::Bytes<0, SrbIoControl::kSize>),
        (Identity, rec::Bytes<SrbIoControl::kSize, ControllerIdentity::kSize>))
    // The identity's fields, seen from the whole buffer.
    using Magic = rec::LeField<std::uint32_t, Identity::offset + ControllerIdentity::Magic::offset>;
    using TargetId =
        rec::LeField<std::uint8_t, Identity::offset + ControllerIdentity::TargetId::offset>;
};
static_assert(IdentifyRequest::kSize == 68);
static_assert(rec::checkLayout<IdentifyRequest>());
static_assert(IdentifyRequest::Magic::offset ==
              IdentifyRequest::Identity::offset + ControllerIdentity::Magic::offset);
static_assert(IdentifyRequest::TargetId::offset ==
              IdentifyRequest::Identity::offset + ControllerIdentity::TargetId::offset);

}  // namespace drv

namespace drv {

// Opcodes of the vendor command families.
constexpr std::uint8_t kOpArray = 0xE0;       // one array; its id in CDB byte 15
constexpr std::uint8_t kOpTable = 0xE1;       // table reads and disk-level control
constexpr std::uint8_t kOpDisk = 0xE2;        // sector access and error simulation
constexpr std::uint8_t kOpController = 0xE3;  // controller information

// Fixed-format sense data, as the driver returns it with a check condition.
struct FixedSense {
    static constexpr std::size_t kSize = 18;
    REC_FIELDS(
        (ResponseCode, rec::LeField<std::uint8_t, 0>),  // 70h: current, fixed format
        (SenseKey, rec::LeField<std::uint8_t, 2>),
        (AdditionalLength, rec::LeField<std::uint8_t, 7>),  // the bytes after this one
        (AdditionalSenseCode, rec::LeField<std::uint8_t, 12>),
        (AdditionalSenseQualifier, rec::LeField<std::uint8_t, 13>))
};
static_assert(rec::checkLayout<FixedSense>());
constexpr std::uint8_t kFixedSenseCurrent = 0x70;
// Set in the response code byte when the information field (bytes 3-6,
// big-endian) holds the sector concerned.
constexpr std::uint8_t kFixedSenseValid = 0x80;

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
