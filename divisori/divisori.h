// Every Pythagorean triple of a leg below 2^32, from the divisors of its square.
//
// A triple (a, b, c) with a² + b² = c² is a split of a² into d × e with d < e, d and e both odd
// or both even: b = (e - d) / 2 and c = (e + d) / 2. So the triples of leg a are the divisors
// d < a of a² whose cofactor a² / d has d's parity, and each is found once. The divisors come
// from a's factorisation, each exponent doubled, and a stretch of legs is factored at once by
// sieving it with the primes. Pure arithmetic on native unsigned integers: no file, no console.
//
// Free of overflow for every leg a < 2^32: a² < 2^64, a divisor is generated only while it is
// below a (so the product that tests it is below a · p < 2^64), and e + d <= a² + 1 < 2^64.
#pragma once

#include <cstdint>
#include <vector>

// The largest leg whose triples these functions find.
constexpr std::uint64_t kCatetoMassimoTutte = 4294967295;

// The distinct prime factors of a leg, smallest first, with their exponents in the leg.
struct Fattorizzazione {
  static constexpr int kMassimo = 9;  // 2 · 3 · … · 23 < 2^32 < 2 · 3 · … · 29
  int quanti = 0;
  std::uint32_t primi[kMassimo];
  std::uint8_t esponenti[kMassimo];
};

// The square root of n, rounded down.
std::uint32_t radiceIntera(std::uint64_t n);

// Factors stretches of consecutive legs with a table of primes: each prime up to the square
// root of the stretch's last leg visits its multiples only, so a leg costs the primes that
// divide it rather than a trial of every prime.
class Setaccio {
 public:
  static constexpr std::uint32_t kStretto = 1 << 14;  // legs factored at once, at most
  // REQUIRES: `primi` are the primes from 2 on, in order, none missing, up to at least the square
  // root of every leg that will be sieved.
  explicit Setaccio(std::vector<std::uint32_t> primi);
  // Factors the legs da … da + quanti - 1.
  // REQUIRES: 1 <= da, 1 <= quanti <= kStretto, da + quanti - 1 <= kCatetoMassimoTutte.
  void setaccia(std::uint64_t da, std::uint32_t quanti);
  // REQUIRES: the leg lies in the stretch last sieved.
  const Fattorizzazione& fattori(std::uint64_t cateto) const { return fattori_[cateto - da_]; }

 private:
  std::vector<std::uint32_t> primi_;
  std::vector<std::uint32_t> resto_;  // of each leg of the stretch, what no prime took yet
  std::vector<Fattorizzazione> fattori_;
  std::uint64_t da_ = 0;
};

// One triple of a leg: the other leg and the hypotenuse.
struct AltroCateto {
  std::uint64_t cateto;
  std::uint64_t ipotenusa;
};

// Every triple of leg a, by increasing other leg, into `terne` (emptied first); `divisori` is a
// buffer of the caller's, kept between legs so that it is allocated once.
// REQUIRES: 1 <= a <= kCatetoMassimoTutte; `f` is a's factorisation.
void terneDelCateto(std::uint64_t a, const Fattorizzazione& f, std::vector<std::uint64_t>& divisori,
                    std::vector<AltroCateto>& terne);
