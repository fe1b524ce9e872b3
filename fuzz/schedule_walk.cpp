// The schedule entry walk over any received buffer: every entry it finds
// lies wholly inside the scan length and the received bytes, offsets only
// grow, and the walk ends.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>

#include "access/schedule_records.h"
#include "fuzz/harness.h"

FUZZ_NO_INITIALIZE

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly the received size, so that a read past it is seen.
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size == 0 ? 1 : size]);
    if (size != 0) std::memcpy(copy.get(), data, size);
    const rec::ByteView buffer(copy.get(), size);
    std::size_t after = 0;
    std::size_t steps = 0;
    while (const std::optional<std::size_t> offset = lib::nextScheduleEntry(buffer, after)) {
        fuzzCheck(*offset > after, "the walk went back");
        fuzzCheck(*offset < size && *offset < lib::kScheduleScanLength, "entry outside the buffer");
        const rec::ByteView entry = buffer.sub(*offset, size - *offset);
        const std::size_t length = lib::scheduleEntryLength(entry);
        fuzzCheck(*offset + length <= size && *offset + length <= lib::kScheduleScanLength,
                  "entry runs past the buffer");
        after = *offset;
        fuzzCheck(++steps <= lib::kScheduleScanLength, "the walk does not end");
    }
    return 0;
}
