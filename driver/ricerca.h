// The leg search: every leg from M to N, each split of its square's prime factors taken from
// the combination tables, every new exact triple printed, recorded and followed by the pause.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "combinatorial/suddivisioni.h"
#include "numero/myelement.h"
#include "numero/numero.h"
#include "results/file_risultati.h"
#include "results/terne.h"

// Called after each new triple; the program sleeps one second, tests pass a no-op.
using Pausa = std::function<void()>;

// Legs above this leave 32-bit arithmetic in their splits (e + d >= 2^31).
constexpr int kCatetoMassimo = 65535;

// What memory running out during the search was needed for, as the programs tell it.
constexpr char kMemoriaRicerca[] =
    "memoria insufficiente per la ricerca (le tabelle delle combinazioni, costruite quando "
    "servono, richiedono fino a circa 60 MB)";

// What the search works with; the caller owns all of it.
struct ContestoRicerca {
  _myElement* primi;           // the prime table
  Suddivisioni& suddivisioni;  // the combination tables, complete at 4 … 19, with their index
  TernePendenti& pendenti;     // the records not yet written
  FileRisultati& file;         // where they go
  std::ostream* console;       // one line per new triple, each followed by the pause; or none
  const Pausa& pausa;
  // Called after every leg examined to its end, its records written; may be empty.
  std::function<void(const numero& cateto)> dopoCateto = nullptr;
  // The prime table was found to hold exactly the primes from 2 on, past every leg (soloPrimi):
  // the square of a leg is then factored from the leg itself, which gives the same list.
  bool primiInteri = false;
};

// Examines leg a: factors a * a, takes the table of as many positions as it has factors (4 …
// 19) through the sizes below half of them, and for each exact split records the triple; a new
// one is printed and followed by the pause. Of the combinations that choose equal factors only
// the first can give a new triple, so only that one is tried.
// REQUIRES: 1 <= a <= kCatetoMassimo.
void esaminaCateto(numero a, ContestoRicerca& ricerca);

// How the search ended, and what the results file holds then.
struct FineRicerca {
  enum class Causa {
    kCompleta,   // every leg examined
    kSegnale,    // a stop signal, after the leg in progress
    kConsole,    // the console refused a line, after the leg in progress
    kScrittura,  // the results file refused a write: no further leg, no further record
    kMemoria,    // memory ran out during the leg after `ultimo`
  };
  Causa causa = Causa::kCompleta;
  numero ultimo;   // the last leg examined to its end (M - 1 when none)
  numero salvato;  // the file holds every record of the legs M … salvato and nothing else
  // Filled in by cercaEChiudi:
  int errore = 0;        // of a refused write, a failed sync or close; EINTR: cut short by a stop
  int erroreTaglio = 0;  // see FileRisultati::erroreTaglio
  FileRisultati::Posto posto = FileRisultati::Posto::kAlSuoPosto;
  std::string dove;           // where a moved file is now, when the system tells it
  bool copiaRimossa = false;  // the copy of an earlier file held nothing the new one lacks
  int segnale = 0;            // the stop signal that came, 0 when none did
};

// The leg loop with the writing of old records after each leg, then the final flush, which
// writes every record of the legs examined to their end. A stop signal, a console that refuses
// a line or memory running out ends it early; a write the file refuses ends it at once, the
// file cut back to its last whole leg.
FineRicerca cicloCateti(const numero& M, const numero& N, ContestoRicerca& ricerca);

// The whole search of M … N and its wrap-up: the leg loop and the final flush, then the file put
// on the disk, its place checked, a superfluous copy of an earlier file removed (after a search
// that wrote every triple), and the file closed. Stop signals are handled from the first leg
// until the file is closed: one that comes after the last leg is a stop after that leg, and one
// that cuts short a write the output does not take ends the search with the records written.
FineRicerca cercaEChiudi(const numero& M, const numero& N, ContestoRicerca& ricerca);

// The wrap-up of a leg loop that ended as `fine` tells: the file put on the disk, its place
// checked, a superfluous copy of an earlier file removed (after a loop that wrote every triple),
// and the file closed; a stop that comes up to the close is a stop after the last leg.
// REQUIRES: the stop signals are handled (GestoriInterruzione) since the loop began.
FineRicerca chiudiRicerca(FineRicerca fine, FileRisultati& file);
