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

#include <cstdint>
#include <istream>
#include <ostream>

#include "numero/myelement.h"
#include "numero/numero.h"
#include "stringa/stringa.h"

class Combinatorial {
 public:
  // Null, or ⌈n/2⌉ entries: entry k-1 heads the size list of k. A table whose nodes are still
  // to be built (see costruisciDopo) has none until it is asked for its combinations.
  mutable _myElement** lists;
  numero n;  // the element count

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
  // Empties the table and takes m as its count; its nodes are built, as generate builds them,
  // the first time its combinations, its complements or its text are asked for. For a table
  // that was read and found complete, which equals the generated one, without keeping millions
  // of nodes that may never be used.
  void costruisciDopo(numero m);
  // Builds now the nodes of a table whose building was put off; nothing otherwise.
  void costruisci() const;

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

 private:
  mutable bool daCostruire_ = false;
};

// Checks, one element at a time, that a size list holds every k-combination of the positions
// 0 … n-1 exactly once, in lexicographic order, each with exactly k elements.
class VerificaLista {
 public:
  static constexpr int kMassimo = 64;  // the largest k
  VerificaLista(int n, int k);
  // The next element of the list; `nuova` when it starts a combination (the first always does).
  void elemento(std::uint64_t valore, bool nuova);
  // True when the elements so far are the whole list.
  bool completa() const;

 private:
  bool ultima() const;  // the combination expected is the last one

  int n_;
  int k_;
  int attesa_[kMassimo];  // the combination expected
  int visti_ = 0;         // its elements seen so far
  bool inizio_ = true;    // no element seen yet
  bool buona_;            // nothing wrong seen yet
};

// Reads a table from s as operator>> reads it, but builds no node: true when the table read is
// the complete table of count n, as tabellaCompleta would find it after operator>>, and nothing
// but blanks and line ends follows its last block.
bool tabellaCompletaDaLeggere(std::istream& s, int n);

// True when s holds exactly the text that operator<< writes for the generated table of count n,
// to its end: such a table is complete without being read element by element, at about the
// cost of reading it. REQUIRES: 1 <= n <= VerificaLista::kMassimo.
bool ugualeAlGenerato(std::istream& s, int n);

// Replaces the table by the one read from s. A count that is 0 or implausibly large ends the
// extraction with nothing stored. Blanks, carriage returns and NUL bytes in body lines are
// dropped: they are no part of an element, nor of its 30 characters.
std::istream& operator>>(std::istream& s, Combinatorial& t);
// Writes the table in the file format, piece by piece; an empty table writes nothing.
std::ostream& operator<<(std::ostream& s, Combinatorial& t);

// Releases a combination along `nextElement`.
void rilasciaCombinazione(_myElement* primo);
