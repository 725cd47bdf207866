#include "combinatorial/suddivisioni.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Of the combinations that take as many positions from each run of equal factors, only the
// first in table order is kept, in table order; masks written from position 0 up.
TEST(Suddivisioni, TheFirstCombinationOfEachChoiceOfCountsInTableOrder) {
  Combinatorial tabelle[8];
  for (int n = 4; n < 8; ++n) {
    tabelle[n].reset(numero(n));
    tabelle[n].generate();
  }
  Suddivisioni suddivisioni(tabelle);
  const struct {
    int t;
    std::uint32_t confini;
    int k;
    std::vector<std::uint32_t> maschere;
  } casi[] = {
      {4, 0b000, 1, {0b0001}},  // p p p p
      {4, 0b000, 2, {0b0011}},
      {4, 0b010, 1, {0b0001, 0b0100}},  // p p q q
      {4, 0b010, 2, {0b0011, 0b0101, 0b1100}},
      {4, 0b111, 2, {0b0011, 0b0101, 0b1001, 0b0110, 0b1010, 0b1100}},  // all different
      {6, 0b01000, 2, {0b000011, 0b010001, 0b110000}},  // 2 2 2 2 3 3, leg 12: 4, 6, 9
      {5, 0b00001, 2, {0b00011, 0b00110}},              // p q q q q
  };
  for (const auto& c : casi) {
    const auto maschere = suddivisioni.maschere(c.t, c.confini, c.k);
    EXPECT_EQ(std::vector<std::uint32_t>(maschere.begin(), maschere.end()), c.maschere)
        << c.t << " " << c.confini << " " << c.k;
  }
}

}  // namespace
