#pragma once
// Records of raw disk access and the error simulator: the request that
// carries a vendor command block through the management library, the
// entries of a disk's simulated-error list, and the lending of data buffers
// to the library by a 32-bit address.

#include <cstdint>
#include "access/buffer_loan.h"
#include "platform/record.h"

namespace lib {

using rec::Bytes;
using rec::LeField;

constexpr std::uint32_t SECTOR_SIZE = 512;

// hx_sendBypassCommand: a vendor command block and its data. The address
// field is 32 bits wide whatever the host; see BufferLoan.
struct BypassRequest {
    static constexpr std::size_t kSize = 232;
    REC_FIELDS(
        (CdbLength, LeField<std::uint8_t, 15>),
        (Cdb, Bytes<16, 16>),
        (DataLength, LeField<std::uint32_t, 216>),   // bytes; 0: no data
        (DataAddress, LeField<std::uint32_t, 224>))  // 0: no data
};
static_assert(rec::checkLayout<BypassRequest>());

// One record of a disk's simulated-error list.
struct SimulatedErrorEntry {
    static constexpr std::size_t kSize = 8;
    REC_FIELDS(
        (Lba, LeField<std::uint32_t, 0>),
        (Count, LeField<std::uint16_t, 4>),
        (Flags, LeField<std::uint8_t, 6>),  // ErrorFlag bits; 0 ends the list
        (Type, LeField<std::uint8_t, 7>))   // bit 7 set: time-out
};
static_assert(rec::checkLayout<SimulatedErrorEntry>());

constexpr std::uint32_t SIMULATED_ERROR_LIST_SIZE = 512;
constexpr std::uint32_t kSimulatedErrorEntries = SIMULATED_ERROR_LIST_SIZE / SimulatedErrorEntry::kSize;

}  // namespace lib
