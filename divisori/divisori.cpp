#include "divisori/divisori.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

std::uint32_t radiceIntera(std::uint64_t n) {
  constexpr std::uint64_t kMassima = 0xFFFFFFFF;  // the root of any 64-bit n
  std::uint64_t r =
      std::min(static_cast<std::uint64_t>(std::sqrt(static_cast<double>(n))), kMassima);
  while (r * r > n) --r;  // the double may round up or down near a square
  while (r < kMassima && (r + 1) * (r + 1) <= n) ++r;
  return static_cast<std::uint32_t>(r);
}

Setaccio::Setaccio(std::vector<std::uint32_t> primi) : primi_(std::move(primi)) {}

void Setaccio::setaccia(std::uint64_t da, std::uint32_t quanti) {
  da_ = da;
  resto_.resize(quanti);
  fattori_.resize(quanti);
  for (std::uint32_t i = 0; i < quanti; ++i) {
    resto_[i] = static_cast<std::uint32_t>(da + i);
    fattori_[i].quanti = 0;
  }
  const std::uint64_t ultimo = da + quanti - 1;
  const std::uint32_t radice = radiceIntera(ultimo);
  for (const std::uint32_t p : primi_) {
    if (p > radice) break;
    for (std::uint64_t multiplo = (da + p - 1) / p * p; multiplo <= ultimo; multiplo += p) {
      const std::uint64_t i = multiplo - da;
      std::uint32_t resto = resto_[i] / p;
      std::uint8_t esponente = 1;
      while (resto % p == 0) {
        resto /= p;
        ++esponente;
      }
      resto_[i] = resto;
      Fattorizzazione& f = fattori_[i];
      f.primi[f.quanti] = p;
      f.esponenti[f.quanti++] = esponente;
    }
  }
  // What is left of a leg once every prime up to its root is taken out is 1 or a prime.
  for (std::uint32_t i = 0; i < quanti; ++i) {
    if (resto_[i] == 1) continue;
    Fattorizzazione& f = fattori_[i];
    f.primi[f.quanti] = resto_[i];
    f.esponenti[f.quanti++] = 1;
  }
}

void terneDelCateto(std::uint64_t a, const Fattorizzazione& f, std::vector<std::uint64_t>& divisori,
                    std::vector<AltroCateto>& terne) {
  divisori.clear();
  terne.clear();
  int primo = 0;
  if (f.quanti > 0 && f.primi[0] == 2) {
    // d and a² / d both even: d holds 2 to a power from 1 to 2k - 1, for 2^k in a.
    std::uint64_t potenza = 1;
    for (int j = 1; j < 2 * f.esponenti[0]; ++j) {
      potenza *= 2;
      if (potenza >= a) break;
      divisori.push_back(potenza);
    }
    primo = 1;
  } else if (a > 1) {
    divisori.push_back(1);  // a odd: every divisor of a² is odd
  }
  for (int i = primo; i < f.quanti; ++i) {
    const std::uint64_t p = f.primi[i];
    const std::size_t finora = divisori.size();
    for (std::size_t k = 0; k < finora; ++k) {
      std::uint64_t d = divisori[k];
      for (int j = 0; j < 2 * f.esponenti[i]; ++j) {
        d *= p;  // d < a and p <= a, both below 2^32
        if (d >= a) break;
        divisori.push_back(d);
      }
    }
  }
  // The larger d, the smaller the other leg.
  std::sort(divisori.begin(), divisori.end(), std::greater<>());
  const std::uint64_t quadrato = a * a;
  for (const std::uint64_t d : divisori) {
    const std::uint64_t e = quadrato / d;
    terne.push_back({(e - d) / 2, (e + d) / 2});
  }
}
