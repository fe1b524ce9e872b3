#include "sim/sector_store.h"

#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <vector>

#include "sim/store.h"

namespace sim {

namespace {

// The in-memory images, in chunks of 64 sectors; chunks never written are
// not kept.
constexpr std::uint64_t kChunkSectors = 64;
constexpr std::size_t kChunkBytes = kChunkSectors * kSectorBytes;

struct MemoryImages {
    std::mutex mutex;
    std::map<std::string, std::map<std::uint64_t, std::vector<std::uint8_t>>> images;
};

MemoryImages& memoryImages() {
    static MemoryImages m;
    return m;
}

const std::string& statePath() { return Store::instance().path(); }

void readMemory(const std::string& image, std::uint64_t lba, std::uint32_t count, std::uint8_t* out) {
    MemoryImages& m = memoryImages();
    std::lock_guard<std::mutex> lock(m.mutex);
    const auto found = m.images.find(image);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint8_t* sector = out + static_cast<std::size_t>(i) * kSectorBytes;
        const std::uint64_t s = lba + i;
        const std::vector<std::uint8_t>* chunk = nullptr;
        if (found != m.images.end()) {
            const auto c = found->second.find(s / kChunkSectors);
            if (c != found->second.end()) chunk = &c->second;
        }
        if (chunk == nullptr) {
            std::memset(sector, 0, kSectorBytes);
        } else {
            std::memcpy(sector, chunk->data() + (s % kChunkSectors) * kSectorBytes, kSectorBytes);
        }
    }
}

void writeMemory(const std::string& image, std::uint64_t lba, std::uint32_t count,
                 const std::uint8_t* in) {
    MemoryImages& m = memoryImages();
    std::lock_guard<std::mutex> lock(m.mutex);
    auto& chunks = m.images[image];
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t s = lba + i;
        std::vector<std::uint8_t>& chunk = chunks[s / kChunkSectors];
        if (chunk.empty()) chunk.assign(kChunkBytes, 0);
        std::memcpy(chunk.data() + (s % kChunkSectors) * kSectorBytes,
                    in + static_cast<std::size_t>(i) * kSectorBytes, kSectorBytes);
    }
}

// Byte offset of a sector; false when it does not fit a file offset.
bool offsetOf(std::uint64_t lba, std::uint32_t count, std::streamoff* offset) {
    const std::uint64_t limit = static_cast<std::uint64_t>(INT64_MAX) / kSectorBytes;
    if (lba > limit || count > limit - lba) return false;
    *offset = static_cast<std::streamoff>(lba * kSectorBytes);
    return true;
}

}  // namespace

std::string controllerDiskImage(int controller, int diskId) {
    return "c" + std::to_string(controller) + "-disk" + std::to_string(diskId);
}

std::string osDiskImage(int number) { return "os-disk" + std::to_string(number); }

std::string imagePath(const std::string& path, const std::string& image) {
    return path + "." + image + ".img";
}

bool readSectors(const std::string& image, std::uint64_t lba, std::uint32_t count,
                 std::uint8_t* out, std::string* error) {
    const std::size_t bytes = static_cast<std::size_t>(count) * kSectorBytes;
    if (statePath().empty()) {
        readMemory(image, lba, count, out);
        return true;
    }
    std::streamoff offset = 0;
    if (!offsetOf(lba, count, &offset)) {
        if (error != nullptr) *error = "sector beyond any image";
        return false;
    }
    std::memset(out, 0, bytes);
    std::ifstream file(imagePath(statePath(), image), std::ios::binary);
    if (!file) return true;  // never written: zeros
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size <= offset) return true;
    file.seekg(offset);
    const std::streamoff available = size - offset;
    const std::streamsize wanted = static_cast<std::streamsize>(
        available < static_cast<std::streamoff>(bytes) ? available : static_cast<std::streamoff>(bytes));
    file.read(reinterpret_cast<char*>(out), wanted);
    if (file.gcount() != wanted) {
        if (error != nullptr) *error = "cannot read " + imagePath(statePath(), image);
        return false;
    }
    return true;
}

bool writeSectors(const std::string& image, std::uint64_t lba, std::uint32_t count,
                  const std::uint8_t* in, std::string* error) {
    if (statePath().empty()) {
        writeMemory(image, lba, count, in);
        return true;
    }
    std::streamoff offset = 0;
    if (!offsetOf(lba, count, &offset)) {
        if (error != nullptr) *error = "sector beyond any image";
        return false;
    }
    const std::string path = imagePath(statePath(), image);
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    if (!file) {
        // First write: the image comes into being; the sectors before the
        // written ones stay a hole that reads as zeros.
        std::ofstream create(path, std::ios::binary | std::ios::app);
        create.close();
        file.open(path, std::ios::binary | std::ios::in | std::ios::out);
    }
    if (!file) {
        if (error != nullptr) *error = "cannot open " + path;
        return false;
    }
    file.seekp(offset);
    file.write(reinterpret_cast<const char*>(in),
               static_cast<std::streamsize>(static_cast<std::size_t>(count) * kSectorBytes));
    file.flush();
    if (!file) {
        if (error != nullptr) *error = "cannot write " + path;
        return false;
    }
    return true;
}

void forgetMemoryImages() {
    MemoryImages& m = memoryImages();
    std::lock_guard<std::mutex> lock(m.mutex);
    m.images.clear();
}

}  // namespace sim
