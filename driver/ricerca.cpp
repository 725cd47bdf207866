#include "driver/ricerca.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <new>

#include "primes/primi.h"
#include "sistema/interruzione.h"

namespace {

// a² + b² = c² modulo 2^32, as 32-bit values: exact for the legs the program accepts. The
// caller gives a² once for the whole leg.
bool esatta(const numero& quadratoA, const numero& b, const numero& c) {
  const std::uint32_t somma =
      static_cast<std::uint32_t>(quadratoA.intero()) + static_cast<std::uint32_t>((b * b).intero());
  return static_cast<int>(somma) == (c * c).intero();
}

// Whether the file took what was written. When it refused it, the loop's end says so: the file
// then holds the records of the legs before those of the first batch it left out, and no more.
bool preso(bool scritto, const ContestoRicerca& ricerca, FineRicerca& fine) {
  if (scritto) return true;
  fine.causa = FineRicerca::Causa::kScrittura;
  fine.salvato = numero(static_cast<int>(ricerca.file.primoLottoPerso() - 1));
  return false;
}

// Writes the records that leg i makes old enough; false when the file refused them.
bool scriviControllato(int i, ContestoRicerca& ricerca, FineRicerca& fine) {
  return preso(scriviTerne(ricerca.pendenti, numero(i), ricerca.file), ricerca, fine);
}

}  // namespace

void esaminaCateto(numero a, ContestoRicerca& ricerca) {
  // The factor list is released however the leg ends, memory running out included.
  struct Fattori {
    _myElement* primo = nullptr;
    ~Fattori() { rilasciaLista(primo); }
  } lista;
  const numero quadrato = a * a;
  if (ricerca.primiInteri) {
    fattorizzaQuadrato(a.intero(), ricerca.primi, &lista.primo);
  } else {
    fattorizza(quadrato, ricerca.primi, &lista.primo);
  }
  const int t = contaElementi(lista.primo);
  if (t < 4 || t > 19) return;
  const VistaFattori fattori(lista.primo);
  const std::uint32_t confini = fattori.confini();
  for (int k = 1; k < std::ceil(t * 0.5); ++k) {
    for (const std::uint32_t posizioni : ricerca.suddivisioni.maschere(t, confini, k)) {
      // d over the chosen positions, e over those they leave.
      numero d;
      numero e;
      prodottoScelti(&d, posizioni, fattori);
      prodottoComplemento(&e, posizioni, fattori);
      const int x = (d < e) ? (e - d).intero() : (d - e).intero();
      const int y = (d < e) ? (e + d).intero() : (d + e).intero();
      const numero b(x / 2);
      const numero c(y / 2);
      if (!esatta(quadrato, b, c) || !registraTerna(b, c, a, ricerca.pendenti)) continue;
      if (ricerca.console == nullptr) continue;
      std::ostream& out = *ricerca.console;
      out << "La terna di numeri interi: " << b << " , " << a << " , " << c << " e' Pitagorica.\n"
          << std::flush;
      if (out) ricerca.pausa();  // no one sees a line the console refused
    }
  }
}

FineRicerca cicloCateti(const numero& M, const numero& N, ContestoRicerca& ricerca) {
  using Causa = FineRicerca::Causa;
  FineRicerca fine;
  fine.ultimo = M - numero(1);
  try {
    for (numero cateto = M; cateto <= N; ++cateto) {
      esaminaCateto(cateto, ricerca);
      fine.ultimo = cateto;
      if (!scriviControllato(cateto.intero(), ricerca, fine)) break;
      if (ricerca.dopoCateto) ricerca.dopoCateto(cateto);
      if (ricerca.console != nullptr && !*ricerca.console) fine.causa = Causa::kConsole;
      if (interruzioneRichiesta()) fine.causa = Causa::kSegnale;
      if (fine.causa != Causa::kCompleta) break;
    }
  } catch (const std::bad_alloc&) {
    fine.causa = Causa::kMemoria;  // the leg in progress is left out, whatever it recorded
  }
  if (fine.causa == Causa::kScrittura) return fine;
  const int ultimo = fine.ultimo.intero();
  for (int i = ultimo + 1; i <= ultimo + kFinestra; ++i) {
    if (!scriviControllato(i, ricerca, fine)) return fine;
  }
  if (!preso(ricerca.file.scriviRaccolti(), ricerca, fine)) return fine;
  fine.salvato = fine.ultimo;
  return fine;
}

FineRicerca cercaEChiudi(const numero& M, const numero& N, ContestoRicerca& ricerca) {
  GestoriInterruzione gestori;
  return chiudiRicerca(cicloCateti(M, N, ricerca), ricerca.file);
}

FineRicerca chiudiRicerca(FineRicerca fine, FileRisultati& file) {
  using Causa = FineRicerca::Causa;
  fine.errore = file.sincronizza();
  fine.posto = file.posto(fine.dove);
  const bool superflua = fine.causa == Causa::kCompleta && fine.errore == 0 &&
                         !interruzioneRichiesta() &&
                         fine.posto != FileRisultati::Posto::kCancellato && file.copiaSuperflua();
  if (const int chiusura = file.chiudi(); fine.errore == 0) fine.errore = chiusura;
  // The copy goes only once the new file is safely closed.
  if (superflua && fine.errore == 0) fine.copiaRimossa = file.rimuoviCopia();
  fine.erroreTaglio = file.erroreTaglio();
  // A stop that came after the last leg, up to the close, is a stop after that leg.
  if (fine.errore == EINTR || (fine.causa == Causa::kCompleta && interruzioneRichiesta())) {
    fine.causa = Causa::kSegnale;
  }
  fine.segnale = segnaleRicevuto();
  return fine;
}
