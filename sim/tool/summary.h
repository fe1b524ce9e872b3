#pragma once
// The readable summary talo-sim shows of a state.

#include <cstdint>
#include <optional>
#include <string>

#include "sim/model.h"

namespace simtool {

// The whole state, or only one controller's part.
std::string summary(const sim::State& state, std::optional<int> controller);

// The failures as one line of name=value pairs, "none" when there are none.
std::string failuresText(const sim::Failures& failures);

// A time as "Wed Jan 02 02:03:55 1980" (UTC).
std::string dateText(std::uint32_t seconds);

// A text as printable characters: other bytes as \xHH.
std::string printable(const std::string& bytes);

}  // namespace simtool
