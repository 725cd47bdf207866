#include "tools/tutte.h"

#include <algorithm>
#include <charconv>
#include <new>
#include <vector>

#include "sistema/interruzione.h"

namespace {

// "x,y,z\n" into `riga`, which has room for three 20-digit numbers; returns its length.
int testoTerna(std::uint64_t x, std::uint64_t y, std::uint64_t z, char (&riga)[64]) {
  char* fine = std::to_chars(riga, riga + 20, x).ptr;
  *fine++ = ',';
  fine = std::to_chars(fine, fine + 20, y).ptr;
  *fine++ = ',';
  fine = std::to_chars(fine, fine + 20, z).ptr;
  *fine++ = '\n';
  return static_cast<int>(fine - riga);
}

// Hands to the file the lines of leg a that an earlier leg of the range did not write.
void accodaCateto(std::uint64_t M, std::uint64_t a, const std::vector<AltroCateto>& terne,
                  ContestoTutte& ricerca) {
  char riga[64];
  for (const AltroCateto& t : terne) {
    if (t.cateto >= M && t.cateto < a) continue;
    const int lunghezza = t.cateto < a ? testoTerna(t.cateto, a, t.ipotenusa, riga)
                                       : testoTerna(a, t.cateto, t.ipotenusa, riga);
    ricerca.file.accoda(riga, lunghezza);
    ++ricerca.terne;
  }
}

FineRicerca cicloTutte(std::uint64_t M, std::uint64_t N, ContestoTutte& ricerca) {
  using Causa = FineRicerca::Causa;
  FineRicerca fine;
  fine.ultimo = numero::da64(M - 1);
  const auto rifiutato = [&] {
    fine.causa = Causa::kScrittura;
    fine.salvato = numero::da64(static_cast<std::uint64_t>(ricerca.file.primoLottoPerso() - 1));
    return fine;
  };
  std::vector<std::uint64_t> divisori;
  std::vector<AltroCateto> terne;
  try {
    for (std::uint64_t da = M; da <= N && fine.causa == Causa::kCompleta;
         da += Setaccio::kStretto) {
      const auto quanti =
          static_cast<std::uint32_t>(std::min<std::uint64_t>(Setaccio::kStretto, N - da + 1));
      ricerca.setaccio.setaccia(da, quanti);
      for (std::uint64_t a = da; a < da + quanti; ++a) {
        terneDelCateto(a, ricerca.setaccio.fattori(a), divisori, terne);
        accodaCateto(M, a, terne, ricerca);
        if (!ricerca.file.scriviLotto(static_cast<long long>(a))) return rifiutato();
        fine.ultimo = numero::da64(a);
        if (ricerca.dopoCateto) ricerca.dopoCateto(a);
        if (interruzioneRichiesta()) {
          fine.causa = Causa::kSegnale;
          break;
        }
      }
    }
  } catch (const std::bad_alloc&) {
    fine.causa = Causa::kMemoria;  // before any line of the leg in progress was handed over
  }
  if (!ricerca.file.scriviRaccolti()) return rifiutato();
  fine.salvato = fine.ultimo;
  return fine;
}

}  // namespace

FineRicerca cercaTutteEChiudi(std::uint64_t M, std::uint64_t N, ContestoTutte& ricerca) {
  GestoriInterruzione gestori;
  return chiudiRicerca(cicloTutte(M, N, ricerca), ricerca.file);
}
