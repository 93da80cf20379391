#pragma once

#include <string_view>

namespace obitrak {

// The program as its reports and windows name it.
inline constexpr std::string_view kProgramNameVersion = "Obitrak v1.05";
inline constexpr std::string_view kHomepage = "https://obitrak.example.org/";

}  // namespace obitrak
