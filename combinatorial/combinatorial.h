// Combinatorial: every combination of the positions 0 … n-1 of the sizes 1 to ⌈n/2⌉.
//
// A combination is a chain of _myElement joined by `nextElement`, one position per node. The
// combinations of one size form a size list, their first nodes joined by `next`, in
// lexicographic order. Larger sizes are reached as complements of stored ones.
//
// Table file format (written by operator<<, read by operator>>): one block per size k = 1 …
// ⌈n/2⌉, each of four lines: an empty line, "( n )", "( k )" with k right-aligned to the width
// of n, and the body line: the k-combinations separated by " , ", each its positions joined by
// ".", ended by a newline.
#pragma once

#include <istream>
#include <ostream>

#include "numero/myelement.h"
#include "numero/numero.h"
#include "stringa/stringa.h"

class Combinatorial {
 public:
  _myElement** lists;  // null, or ⌈n/2⌉ entries: entry k-1 heads the size list of k
  numero n;            // the element count

  Combinatorial();
  explicit Combinatorial(numero m);
  ~Combinatorial();
  // A table owns its nodes; copies would share or duplicate millions of them.
  Combinatorial(const Combinatorial&) = delete;
  Combinatorial& operator=(const Combinatorial&) = delete;

  // ⌈n/2⌉ as the floating-point ceiling of n * 0.5, from the current n.
  int meta() const;

  void clear();          // releases every node and the head array; n stays
  void reset(numero m);  // clear, then n = m

  // Steps of the stream extraction.
  void readCount(std::istream& s);
  void readSize(std::istream& s, int& k);
  void readSizeList(std::istream& s, int k);

  // The stored list of k-combinations, lent to the caller; null outside 1 … ⌈n/2⌉.
  _myElement* combinations(numero k) const;
  // A new chain of the positions below n that the combination lacks, owned by the caller;
  // positions outside 0 … n-1 in the combination are ignored.
  _myElement* complement(_myElement*& primo) const;
  // A new list (joined by `next`) of the complements of every stored k-combination.
  _myElement* complements(int k) const;

  // Generation: builds every size list 1 … ⌈n/2⌉ in lexicographic order (nothing for n <= 0).
  void generate();
  // Builds the size list of k from that of k-1; sizes outside 1 … ⌈n/2⌉ are ignored.
  void generateSize(numero k);
  static void copyCombination(_myElement** sorgente, _myElement** destinazione);
  static bool contains(_myElement* combinazione, numero* v);
  static void appendElement(_myElement** combinazione, numero v);
  static numero lastElement(_myElement* combinazione);  // -1 for an empty combination
  // As many blanks as n has more decimal digits than k.
  static stringa alignment(int k, int n);
};

// Replaces the table by the one read from s. A count that is 0 or implausibly large ends the
// extraction with nothing stored. Blanks, carriage returns and NUL bytes in body lines are
// dropped: they are no part of an element, nor of its 30 characters.
std::istream& operator>>(std::istream& s, Combinatorial& t);
// Writes the table in the file format, piece by piece; an empty table writes nothing.
std::ostream& operator<<(std::ostream& s, Combinatorial& t);

// Releases a combination along `nextElement`.
void rilasciaCombinazione(_myElement* primo);
