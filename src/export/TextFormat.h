#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace obitrak {

// `text` followed by spaces up to `width` characters; a longer text is kept whole.
std::string padded(std::string_view text, std::size_t width);

// `value` in decimal, preceded by spaces up to `width` characters; never cut.
std::string rightAligned(std::int64_t value, std::size_t width);

// The first `width` characters of `text`, preceded by spaces up to `width`.
std::string cutRightAligned(std::string_view text, std::size_t width);

}  // namespace obitrak
