#include <gtest/gtest.h>

#include <string>

#include "scan/Block.h"

namespace obitrak {
namespace {

using namespace std::string_literals;

TEST(Block, ReadsBytesAndNumbersInsideTheBlockOnly) {
  const std::string bytes = "\x0A\x01\xFF\xFF\xFF\x7F"s;
  Block b(bytes);
  struct Case {
    int position;
    int byte;
  };
  for (Case c : {Case{1, 0x0A}, Case{2, 1}, Case{6, 0x7F}, Case{7, 0}, Case{0, 0}, Case{-3, 0},
                 Case{1401, 0}}) {
    EXPECT_EQ(b.blockByte(c.position), c.byte) << "position " << c.position;
  }
  EXPECT_EQ(b.blockInt32(3), 0x7FFFFFFF);
  EXPECT_EQ(b.blockInt32(2), static_cast<std::int32_t>(0xFFFFFF01u));
  // Bytes past the end read as 0, so a number cut by the block's end keeps its low bytes.
  EXPECT_EQ(b.blockInt32(5), 0x7FFF);
  EXPECT_EQ(b.blockInt32(7), 0);
}

TEST(Block, StringsEndAtTheirTerminatorOrAtTheBlockEnd) {
  const std::string bytes = "ab\0cd\\ef"s;
  Block b(bytes);
  struct Case {
    int position;
    char terminator;
    std::string expected;
  };
  for (const Case& c :
       {Case{1, 0, "ab"}, Case{3, 0, ""}, Case{4, 0, "cd\\ef"}, Case{4, '\\', "cd"},
        Case{7, '\\', "ef"}, Case{1, '\\', "ab\0cd"s}, Case{9, 0, ""}, Case{0, 0, ""}}) {
    EXPECT_EQ(b.blockString(c.position, c.terminator), c.expected)
        << "position " << c.position << " terminator " << int(c.terminator);
  }
}

}  // namespace
}  // namespace obitrak
