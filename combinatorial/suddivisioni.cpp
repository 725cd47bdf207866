#include "combinatorial/suddivisioni.h"

#include <algorithm>
#include <bit>
#include <iterator>

std::uint32_t maschera(_myElement* combinazione) {
  std::uint32_t posizioni = 0;
  for (_myElement* e = combinazione; e != nullptr; e = e->nextElement) {
    posizioni |= std::uint32_t{1} << e->value.intero();
  }
  return posizioni;
}

namespace {

// The number of the choice of counts that each mask makes: for each run, the positions it takes
// there times the run's place value. Built twice, for processors with the bit-count instruction
// and for the others; the program takes the one that fits when it starts. Nothing in it may
// throw: an exception cannot pass through such a function. Defined before its first use, as
// multiversioning asks.
__attribute__((target_clones("popcnt", "default"))) void numeriDelleScelte(
    std::span<const std::uint32_t> maschere, std::span<const std::uint32_t> corse,
    std::span<const std::uint32_t> valore, std::uint32_t* numeri) noexcept {
  for (std::size_t i = 0; i < maschere.size(); ++i) {
    std::uint32_t scelta = 0;
    for (std::size_t j = 0; j < corse.size(); ++j) {
      scelta += valore[j] * static_cast<std::uint32_t>(std::popcount(maschere[i] & corse[j]));
    }
    numeri[i] = scelta;
  }
}

}  // namespace

Suddivisioni::Voce Suddivisioni::leggi(int t, std::uint32_t confini) {
  // The runs as masks, and a place value for the count taken from each, so that every choice
  // of counts has a number of its own below `scelte`.
  std::vector<std::uint32_t> corse;
  std::vector<std::uint32_t> valore;
  std::uint32_t scelte = 1;
  for (int inizio = 0; inizio < t;) {
    int fine = inizio;
    while (fine + 1 < t && (confini & (std::uint32_t{1} << fine)) == 0) ++fine;
    const int lunghezza = fine - inizio + 1;
    corse.push_back(((std::uint32_t{1} << lunghezza) - 1) << inizio);
    valore.push_back(scelte);
    scelte *= static_cast<std::uint32_t>(lunghezza + 1);
    inizio = fine + 1;
  }
  const Voce& tutte = tabella(t);
  Voce voce;
  std::vector<bool> vista(scelte, false);
  voce.inizio.push_back(0);
  std::uint32_t numeri[1024];  // of a stretch of the table's masks at a time
  for (std::size_t k = 1; k < tutte.inizio.size(); ++k) {
    for (std::size_t da = tutte.inizio[k - 1]; da < tutte.inizio[k]; da += std::size(numeri)) {
      const std::size_t quante = std::min(std::size(numeri), tutte.inizio[k] - da);
      numeriDelleScelte({tutte.maschere.data() + da, quante}, corse, valore, numeri);
      for (std::size_t i = 0; i < quante; ++i) {
        if (vista[numeri[i]]) continue;
        vista[numeri[i]] = true;
        voce.maschere.push_back(tutte.maschere[da + i]);
      }
    }
    voce.inizio.push_back(voce.maschere.size());
  }
  return voce;
}

const Suddivisioni::Voce& Suddivisioni::tabella(int t) {
  Voce& tutte = tabelleInMaschere_[t];
  if (!tutte.inizio.empty()) return tutte;
  const Combinatorial& tabella = tabelle_[t];
  tutte.inizio.push_back(0);
  for (int k = 1; k <= tabella.meta(); ++k) {
    for (_myElement* s = tabella.combinations(numero(k)); s != nullptr; s = s->next) {
      tutte.maschere.push_back(maschera(s));
    }
    tutte.inizio.push_back(tutte.maschere.size());
  }
  return tutte;
}

std::span<const std::uint32_t> Suddivisioni::maschere(int t, std::uint32_t confini, int k) {
  const std::uint32_t chiave = (confini << 5) | static_cast<std::uint32_t>(t);
  auto voce = voci_.find(chiave);
  if (voce == voci_.end()) voce = voci_.emplace(chiave, leggi(t, confini)).first;
  const Voce& v = voce->second;
  return {v.maschere.data() + v.inizio[k - 1], v.maschere.data() + v.inizio[k]};
}
