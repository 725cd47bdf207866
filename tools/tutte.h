// Every Pythagorean triple with a leg in M … N, written as a results file: the search of
// terne-cerca --tutte, beside terne's own.
#pragma once

#include <cstdint>
#include <functional>

#include "divisori/divisori.h"
#include "driver/ricerca.h"
#include "results/file_risultati.h"

// What the search works with; the caller owns all of it.
struct ContestoTutte {
  Setaccio& setaccio;  // with the primes up to the square root of N at least
  FileRisultati& file;
  // Called after every leg whose lines were handed to the file; may be empty.
  std::function<void(std::uint64_t cateto)> dopoCateto = nullptr;
  long long terne = 0;  // lines handed to the file so far
};

// For each leg a from M to N, the triples of a whose other leg does not lie in M … a - 1 (those
// were written at that leg), by increasing other leg, one line "x,y,z" each, smallest first:
// every triple with a leg in the range exactly once. A leg's lines are one batch tagged with
// the leg. Then the wrap-up of chiudiRicerca; stops, refused writes and memory running out end
// the search as for terne's search, the file holding whole legs only.
// REQUIRES: 1 <= M <= N <= kCatetoMassimoTutte.
FineRicerca cercaTutteEChiudi(std::uint64_t M, std::uint64_t N, ContestoTutte& ricerca);
