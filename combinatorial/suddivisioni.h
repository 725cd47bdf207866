// Suddivisioni: beside the combination tables, the stored combinations that can give a split of
// their own.
//
// A factor list is made of runs of equal factors. Two combinations that take as many positions
// from each run choose equal factors: they give the same product, hence the same split and the
// same triple, and only the first of them in table order can report it. For each shape of list
// (its length and where its runs end) the index keeps, size by size, the first combination in
// table order of each such choice, as a mask of positions. The tables stay the truth: a shape's
// entry is read from them the first time the shape is asked for.
#pragma once

#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

#include "combinatorial/combinatorial.h"

// The positions of a combination (along `nextElement`) as bits.
// REQUIRES: every position lies in 0 … 31.
std::uint32_t maschera(_myElement* combinazione);

class Suddivisioni {
 public:
  // REQUIRES: `tabelle` has an entry for every length asked for, complete (every combination of
  // its sizes, each once), and outlives the index.
  explicit Suddivisioni(const Combinatorial* tabelle) : tabelle_(tabelle) {}

  const Combinatorial* tabelle() const { return tabelle_; }

  // The chosen k-combinations of table t, in table order, for a list whose runs end where
  // `confini` has a bit (bit i: positions i and i + 1 hold different factors).
  // REQUIRES: 1 <= t <= 19, 1 <= k <= the table's largest size.
  std::span<const std::uint32_t> maschere(int t, std::uint32_t confini, int k);

 private:
  struct Voce {
    std::vector<std::uint32_t> maschere;
    std::vector<std::size_t> inizio;  // where the masks of size k begin, and one past the end
  };
  Voce leggi(int t, std::uint32_t confini);
  // Every combination of table t as a mask, in table order, read from its nodes once.
  const Voce& tabella(int t);

  const Combinatorial* tabelle_;
  std::unordered_map<std::uint32_t, Voce> voci_;  // by t and the runs' ends
  Voce tabelleInMaschere_[20];                    // by t (up to 19), empty until asked for
};
