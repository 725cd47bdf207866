// The triples of a leg against a brute force of the test's own over every d < a that divides a²,
// the legs sieved in stretches of several sizes. Legs near 2^32, and the leg whose square has
// 76,545 divisors, are checked through terne-cerca --tutte in e2e/cerca_test.cpp.
#include "divisori/divisori.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

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
