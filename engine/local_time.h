#pragma once

#include <ctime>
#include <optional>

// The current local time, or nothing when it cannot be determined (the
// report then says "Invalid DateTime").
std::optional<std::tm> currentLocalTime();
