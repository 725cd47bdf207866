// The prime table read from "numeriPrimi.txt", and the factorisation of a square with it.
//
// File format: 8-bit text; fields separated by TAB only, each field's characters read as
// decimal digits (a non-digit counts as 0, an empty field is worth 0). Lines are read in pieces
// of at most 1999 characters; a carriage return just before a line end is dropped.
#pragma once

#include <cstdint>
#include <ostream>

#include "numero/myelement.h"
#include "numero/numero.h"

// Reads numbers in file order into the chain that starts at `primo` (a node the caller made
// and owns with the rest), stopping after the first value >= limite. Fields that read as 0 are
// no entries and get no node, so the memory taken is bounded by the values kept. Returns -1 when
// the file does not exist, -2 when it cannot be read (no permission, a folder, anything but a
// regular file, which is never waited on, a failing disk; *motivo then gets why, an errno value or
// kNonUnFile), 0 when it ends before such a value (the chain then ends with a node of value 0),
// 1 when the table is complete.
int caricaPrimi(const char* nomeFile, numero limite, _myElement* primo, int* motivo = nullptr);

// True when the values of the chain that are not 0 are the primes from 2 on, in increasing
// order, none missing and none added: a table that ends early may pass, one that skips or
// changes a prime may not. Values of 0 are fields that read as 0 (blanks, letters), which the
// factorisation passes over. It costs a sieve up to the largest value it has to look at. A stop
// signal (sistema/interruzione.h) cuts it short, with false.
bool soloPrimi(const _myElement* primo);

// Stores field k (0-based) of the line into *destinazione, or -1 when the line has no field k.
// Digits beyond what numero holds saturate.
void leggiCampo(const char* riga, numero* destinazione, int k);

// The prime-table phase of the run: loads "numeriPrimi.txt" up to the first value above N into
// a new chain held in `primi`. On a missing, unreadable, damaged (not the primes) or too short
// file prints on err the command that prepares it, then on out the message that asks the user
// to prepare it, and returns false; the chain is the caller's in every case.
bool caricaFasePrimi(const numero& N, _myElement*& primi, std::ostream& out, std::ostream& err);

// Appends the prime factors of x to the list at *testa, smallest first, with multiplicity, by
// trial division in table order. Entries below 2
// are passed over; a rest that no entry divides is appended whole; x below 1 appends
// nothing. Returns 0.
int fattorizza(numero x, _myElement* tabella, _myElement** testa);

// Appends the prime factors of a², as fattorizza(a × a) gives them, found from a: each prime
// factor of a twice, smallest first. Trial division stops where the square of the entry passes
// what is left of a, which is then prime: far fewer divisions than for a².
// REQUIRES: 1 <= a < 2^31; the table holds exactly the primes from 2 on (soloPrimi), up to a
// prime at least a.
void fattorizzaQuadrato(int a, _myElement* tabella, _myElement** testa);

// The number of nodes along `next`; 0 for null.
int contaElementi(_myElement* primo);

// The product of the factors at the positions of the combination (along `nextElement`); also
// stored into *destinazione. An empty combination gives 1.
// REQUIRES: every position lies below the length of the factor list.
numero prodotto(numero* destinazione, _myElement* combinazione, _myElement* fattori);

// The factor list of one leg as an array indexed by position, so that the products of a split
// need neither a walk of the list nor a chain for the complement.
// REQUIRES: at most kMassimo factors, in normal form, whose product fits 64 bits (the square of
// a leg the search accepts has at most 19 factors and is at most 65535²).
struct VistaFattori {
  static constexpr int kMassimo = 19;
  explicit VistaFattori(_myElement* fattori);
  // Bit i set where positions i and i + 1 hold different factors: where a run of equal factors
  // ends.
  std::uint32_t confini() const;
  int quanti = 0;
  std::uint64_t valori[kMassimo];
};

// The product of the factors at the positions set in `posizioni`, as prodotto over a
// combination of those positions gives it; also stored into *destinazione.
numero prodottoScelti(numero* destinazione, std::uint32_t posizioni, const VistaFattori& fattori);
// The product of the factors at the positions that `posizioni` lacks, as prodotto over the
// combination's complement gives it.
numero prodottoComplemento(numero* destinazione, std::uint32_t posizioni,
                           const VistaFattori& fattori);
