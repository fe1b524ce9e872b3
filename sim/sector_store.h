#pragma once
// The data on the simulated disks, kept apart from the state: the state file
// holds what the controller knows, this holds what was written to the
// sectors. With a state file every disk's sectors live in a sparse image
// file beside it, made on the disk's first write and read back by later
// runs; the built-in demo keeps them in memory for the life of the process.
// Sectors never written read as zeros. Callers serialise access to one
// disk (the simulator calls these while it holds the state's lock).

#include <cstdint>
#include <string>

namespace sim {

constexpr std::uint32_t kSectorBytes = 512;

// The names of the disks' images: a disk of a controller, and an
// operating-system disk of the simulated machine.
std::string controllerDiskImage(int controller, int diskId);
std::string osDiskImage(int number);

// The file that holds an image beside the state file statePath.
std::string imagePath(const std::string& statePath, const std::string& image);

// Reads count sectors from lba into out (count * 512 bytes). False, with
// a reason in *error, when the image file cannot be read.
bool readSectors(const std::string& image, std::uint64_t lba, std::uint32_t count,
                 std::uint8_t* out, std::string* error);
// Writes count sectors at lba from in, creating the image when needed.
bool writeSectors(const std::string& image, std::uint64_t lba, std::uint32_t count,
                  const std::uint8_t* in, std::string* error);

// Forgets the images kept in memory (the demo's), for tests that start over.
void forgetMemoryImages();

}  // namespace sim
