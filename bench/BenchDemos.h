#pragma once

#include <cstddef>
#include <string>

namespace obitrak::bench {

// A demo of `players` players (1..64) and `obituaries` obituaries, one a block beside
// `frameBytes` bytes of frame data; a player in four dies by his own hand now and then.
std::string matchDemo(int players, int obituaries, std::size_t frameBytes);

}  // namespace obitrak::bench
