// The triples of a leg against computations of the test's own: a brute force over every d < a
// that divides a² for the small legs, and, for legs near 2^32, every triple checked exactly and
// counted against the divisors of the square found by trial division.
#include "divisori/divisori.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

__extension__ typedef unsigned __int128 u128;

std::vector<std::uint32_t> primiFinoA(std::uint32_t limite) {
  std::vector<bool> composto(limite + 1, false);
  std::vector<std::uint32_t> primi;
  for (std::uint32_t i = 2; i <= limite; ++i) {
    if (composto[i]) continue;
    primi.push_back(i);
    for (std::uint64_t m = std::uint64_t{i} * i; m <= limite; m += i) composto[m] = true;
  }
  return primi;
}

// The number of divisors of n², n factored by trial division.
std::uint64_t divisoriDelQuadrato(std::uint64_t n) {
  std::uint64_t conto = 1;
  for (std::uint64_t p = 2; p * p <= n; ++p) {
    int e = 0;
    for (; n % p == 0; n /= p) ++e;
    conto *= 2 * e + 1;
  }
  return n > 1 ? conto * 3 : conto;
}

// Triples of leg a: d and a² / d of one parity, so an odd a has (τ(a²) - 1) / 2 and an even a,
// whose splits are 2d' × 2e' with d'e' = (a / 2)², (τ((a / 2)²) - 1) / 2.
std::uint64_t terneAttese(std::uint64_t a) {
  return (divisoriDelQuadrato(a % 2 == 0 ? a / 2 : a) - 1) / 2;
}

// Sieves da … a in stretches of `passo` legs and checks each leg with `controlla`.
template <class Controllo>
void perOgniCateto(std::uint64_t da, std::uint64_t a, std::uint32_t passo, Controllo controlla) {
  Setaccio setaccio(primiFinoA(65536));
  std::vector<std::uint64_t> divisori;
  std::vector<AltroCateto> terne;
  for (std::uint64_t inizio = da; inizio <= a; inizio += passo) {
    const auto quanti = static_cast<std::uint32_t>(std::min<std::uint64_t>(passo, a - inizio + 1));
    setaccio.setaccia(inizio, quanti);
    for (std::uint64_t cateto = inizio; cateto < inizio + quanti; ++cateto) {
      terneDelCateto(cateto, setaccio.fattori(cateto), divisori, terne);
      controlla(cateto, terne);
    }
  }
}

TEST(Divisori, SmallLegsGiveWhatABruteForceFinds) {
  for (const std::uint32_t passo : {1u, 7u, Setaccio::kStretto}) {
    perOgniCateto(1, 3000, passo, [](std::uint64_t a, const std::vector<AltroCateto>& terne) {
      std::vector<std::pair<std::uint64_t, std::uint64_t>> attese;
      for (std::uint64_t d = a - 1; d >= 1; --d) {
        const std::uint64_t e = a * a / d;
        if (a * a % d == 0 && (e - d) % 2 == 0) attese.push_back({(e - d) / 2, (e + d) / 2});
      }
      std::vector<std::pair<std::uint64_t, std::uint64_t>> trovate;
      for (const auto& t : terne) trovate.push_back({t.cateto, t.ipotenusa});
      ASSERT_EQ(trovate, attese) << "cateto " << a;
    });
  }
}

// Every triple exact in 128 bits, other legs increasing, as many as the square has splits.
void controllaEsatte(std::uint64_t a, const std::vector<AltroCateto>& terne) {
  ASSERT_EQ(terne.size(), terneAttese(a)) << "cateto " << a;
  for (std::size_t i = 0; i < terne.size(); ++i) {
    const u128 b = terne[i].cateto;
    const u128 c = terne[i].ipotenusa;
    ASSERT_EQ(u128{a} * a + b * b, c * c) << "cateto " << a << ", altro " << terne[i].cateto;
    if (i > 0) {
      ASSERT_LT(terne[i - 1].cateto, terne[i].cateto) << "cateto " << a;
    }
  }
}

TEST(Divisori, LegsNearTheTopAreExactAndComplete) {
  perOgniCateto(kCatetoMassimoTutte - 1999, kCatetoMassimoTutte, 1000, controllaEsatte);
  // 2^4 · 3^3 · 5^2 · 7 · 11 · 13 · 17 · 19, whose square has 76,545 divisors.
  perOgniCateto(3491888400, 3491888400, 1, controllaEsatte);
}

TEST(Divisori, IntegerRootRoundsDown) {
  for (const std::uint64_t r : {0ull, 1ull, 2ull, 94906265ull, 3037000499ull, 4294967295ull}) {
    EXPECT_EQ(radiceIntera(r * r), r);
    if (r > 0) {
      EXPECT_EQ(radiceIntera(r * r - 1), r - 1);
    }
  }
  EXPECT_EQ(radiceIntera(~0ull), 4294967295u);
}

}  // namespace
