// Loading the sixteen combination tables that the leg search takes its splits from.
#pragma once

#include <ostream>

#include "combinatorial/combinatorial.h"
#include "stringa/stringa.h"

constexpr int kTabelle = 20;        // entries 0 … 19, indexed by the element count
constexpr int kPrimaTabella = 4;    // the first count read from a file
constexpr int kUltimaTabella = 19;  // the last one

// "Combinations" + n in two digits + ".txt".
stringa nomeTabella(int n);

// True when t holds count n and, for every size k from 1 to ⌈n/2⌉, every k-combination of the
// positions below n exactly once, in lexicographic order.
bool tabellaCompleta(const Combinatorial& t, int n);

// The progress line of table n: "Combinator n elements read from file".
void annunciaTabella(int n, std::ostream& out);

// Reads tables 4 … 19 from the working folder into tabelle, printing one progress line each.
// Returns 0 when all are complete, otherwise the count of the first table that is missing,
// cannot be read or is damaged (loading stops there); *motivo then gets 0 when it is missing
// or damaged, or why it cannot be read (an errno value, or kNonUnFile for anything but a
// regular file, which is never waited on).
int caricaTabelle(Combinatorial (&tabelle)[kTabelle], std::ostream& out, int* motivo = nullptr);
