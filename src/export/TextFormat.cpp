#include "export/TextFormat.h"

namespace obitrak {

std::string padded(std::string_view text, std::size_t width) {
  std::string out(text);
  if (out.size() < width) out.append(width - out.size(), ' ');
  return out;
}

std::string rightAligned(std::int64_t value, std::size_t width) {
  std::string digits = std::to_string(value);
  if (digits.size() >= width) return digits;
  return std::string(width - digits.size(), ' ') + digits;
}

std::string cutRightAligned(std::string_view text, std::size_t width) {
  std::string_view cut = text.substr(0, width);
  return std::string(width - cut.size(), ' ') + std::string(cut);
}

}  // namespace obitrak
