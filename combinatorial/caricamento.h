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

// True when s holds the complete table of count n: its text as the generator writes it, or, read
// from its start again, a text that the reader takes for that table (other line ends or
// spacing), with nothing but blank lines after its last block. REQUIRES: s can seek to its start.
bool tabellaIntatta(std::istream& s, int n);

// The progress line of table n: "Combinator n elements read from file".
void annunciaTabella(int n, std::ostream& out);

// Reads tables 4 … 19 from the working folder into tabelle, printing one progress line each.
// A table found intact (tabellaIntatta) equals the generated one: its nodes are built, as the
// generator builds them, the first time they are asked for. Returns 0 when all are complete,
// otherwise the count of the first table that is missing, cannot be read or is damaged (loading
// stops there); *motivo then gets 0 when it is missing or damaged, or why it cannot be read (an
// errno value, or kNonUnFile for anything but a regular file, which is never waited on).
int caricaTabelle(Combinatorial (&tabelle)[kTabelle], std::ostream& out, int* motivo = nullptr);
