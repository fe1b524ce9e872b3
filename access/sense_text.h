#pragma once
// A one-line reading of SCSI sense data, fixed or descriptor format: the
// sense key, the additional sense code and qualifier with their standard
// names, and the information field when it is valid. Printed after the
// sense dump when the environment asks for it.

#include <cstddef>
#include <cstdint>
#include <string>

namespace scsi {

// True when TALO_SENSE_TEXT is set to anything but an empty text.
bool senseTextWanted();

// The line (without its line break) for length bytes of sense data. Reads
// nothing beyond length, whatever the data's own lengths claim.
std::string describeSense(const std::uint8_t* sense, std::size_t length);

// The standard's name of an additional sense code and qualifier, or an
// empty text when the table has none.
std::string additionalSenseName(std::uint8_t asc, std::uint8_t ascq);

}  // namespace scsi
