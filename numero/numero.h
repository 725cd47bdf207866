// numero: the signed integer of the whole system, held in two 32-bit limbs of base 10^8.
//
// value = alta * 100000000 + bassa. In normal form the limbs never have opposite signs and
// |bassa| < 10^8, which gives at most 18 decimal digits. Every limb computation is 32-bit and
// wraps in two's complement (computed in unsigned arithmetic, so the wrap is defined); no
// operation detects overflow, except the two readers of text, which saturate at `massimo()`.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>

// 32-bit limb arithmetic that wraps modulo 2^32: computed in unsigned, so the wrap is defined.
namespace limbi {

inline int somma(int a, int b) {
  return static_cast<int>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
inline int per(int a, int b) {
  return static_cast<int>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}
inline int opposto(int a) {
  return static_cast<int>(0u - static_cast<std::uint32_t>(a));
}
// Truncating division and remainder; the divisors used are the base and small digits, so
// only INT_MIN / -1 could overflow, and it is answered by the wrap.
inline int quoziente(int a, int b) {
  return (b == -1) ? opposto(a) : a / b;
}
inline int resto(int a, int b) {
  return (b == -1) ? 0 : a % b;
}

}  // namespace limbi

class numero {
 public:
  int base;   // always 100000000
  int alta;   // high limb
  int bassa;  // low limb

  static constexpr int kBase = 100000000;

  numero();
  numero(int n);  // n >= 10^8 is split; any smaller n (negatives too) stays whole in bassa
  numero(int alta, int bassa);  // the limbs as given, not normalised
  static constexpr int kCaratteriTesto = 30;
  // Decimal text, one decimal position per character (non-digits count 0), at most
  // kCaratteriTesto characters; saturates at massimo().
  explicit numero(const char* s);
  numero(const numero&) = default;

  // The largest value in normal form: 2147483647 * 10^8 + 99999999.
  static numero massimo() { return numero(2147483647, 99999999); }
  static constexpr std::uint64_t kMassimo64 = 2147483647ULL * kBase + 99999999;
  // The limbs of v in normal form; beyond massimo() the high limb is taken modulo 2^32, as the
  // product does.
  static numero da64(std::uint64_t v) {
    return numero(static_cast<int>(static_cast<std::uint32_t>(v / kBase)),
                  static_cast<int>(v % kBase));
  }
  // The value in 64 bits, as da64 takes it. REQUIRES: normaleNonNegativo().
  std::uint64_t a64() const {
    return static_cast<std::uint64_t>(alta) * kBase + static_cast<std::uint64_t>(bassa);
  }

  // alta * base + bassa, reduced modulo 2^32 into the int range.
  int intero() const;

  numero& operator=(const numero& b);  // copies the limbs only
  numero& operator=(int n);

  numero operator+(const numero& b) const;  // limb signs are not reconciled
  numero operator+(int n) const;
  numero operator+(unsigned int n) const;  // same as the int form, n taken modulo 2^32
  numero operator+(char ch) const;         // adds the signed 8-bit code of ch
  numero operator++();                     // prefix: becomes the object + 1, returns a copy
  numero operator-(const numero& b) const;

  bool operator>(const numero& b) const;
  bool operator<(const numero& b) const;
  bool operator<=(const numero& b) const;  // computed as *this < b + 1
  bool operator>=(const numero& b) const;  // computed as *this > b + (-1)
  bool operator==(const numero& b) const;  // compares the limbs, not the values
  bool operator>(int n) const;
  bool operator<(int n) const;
  bool operator==(int n) const;
  bool operator==(unsigned int n) const;

  void moltiplica(int n);        // in place; exact for normal, non-negative values and 0 <= n <= 21
  void dividiPer10(int& cifra);  // in place, truncating; cifra receives the removed digit
  int cifre() const;             // decimal digits; zero has none
  bool normaleNonNegativo() const;  // alta >= 0 and 0 <= bassa < base
  bool normale() const;             // limbs of one sign and |bassa| < base

  // Operations built on the core.
  // The product, with the limbs of the digit-by-digit schoolbook product below (computed
  // directly when both operands are non-negative and in normal form).
  numero operator*(const numero& b) const;
  numero operator*(int n) const;
  // Schoolbook multiplication by the decimal digits of b, least significant first, on the
  // limbs; negative or non-normal operands give the limbs this procedure gives.
  numero prodottoPerCifre(const numero& b) const;
  // Quotient truncated toward zero; resto gets the (never negative) remainder of the
  // magnitudes. Exact for every pair of operands in normal form, whatever their signs.
  // REQUIRES: divisore is not zero (the call still returns, with quotient 0).
  numero dividi(numero divisore, numero& resto) const;
  // Long division digit by digit with a stack of the dividend's digits: what dividi does for
  // operands outside normal form.
  numero dividiPerCifre(numero divisore, numero& resto) const;
  // One quotient digit of w / d for 0 <= w <= 10 * d; resto gets w - digit * d.
  static int cifraQuoziente(numero w, numero d, numero& resto);
  numero radice() const;    // floor of the square root; a negative value writes a message
  numero accoda(numero b);  // shifts the object left by b's digits, returns it plus b
  int primaCifra() const;   // leading digit, negated for a negative value
  // The decimal digits as a NUL-terminated text (empty for a negative value). Zero gives a
  // shared constant; every other result is a new array. Release either with rilasciaTesto.
  const char* testo() const;
  // The same text written into a caller's buffer, zero as "0"; returns its length.
  static constexpr int kCifreTesto = 50;
  int testoIn(char (&dove)[kCifreTesto + 1]) const;
  static void rilasciaTesto(const char* t);
};

// The small operations the search runs millions of times are defined here, to be inlined.

inline numero::numero() : base(kBase), alta(0), bassa(0) {}

inline numero::numero(int n) : base(kBase), alta(0), bassa(n) {
  if (n >= kBase) {
    alta = n / kBase;
    bassa = n % kBase;
  }
}

inline numero::numero(int a, int b) : base(kBase), alta(a), bassa(b) {}

inline int numero::intero() const {
  return limbi::somma(limbi::per(alta, base), bassa);
}

inline numero& numero::operator=(const numero& b) {
  alta = b.alta;
  bassa = b.bassa;
  return *this;
}

inline numero numero::operator+(const numero& b) const {
  using namespace limbi;
  const int s = somma(bassa, b.bassa);
  return numero(somma(quoziente(s, base), somma(alta, b.alta)), resto(s, base));
}

inline numero numero::operator-(const numero& b) const {
  using namespace limbi;
  const int nb = opposto(b.bassa);
  const numero negato(somma(quoziente(nb, kBase), opposto(b.alta)), resto(nb, kBase));
  const int s = somma(negato.bassa, bassa);
  int h = somma(quoziente(s, base), somma(negato.alta, alta));
  int l = resto(s, base);
  if (h > 0 && l < 0) {
    h = somma(h, -1);
    l = somma(l, base);
  } else if (h < 0 && l > 0) {
    h = somma(h, 1);
    l = somma(l, opposto(base));
  }
  return numero(h, l);
}

inline bool numero::operator>(const numero& b) const {
  return alta > b.alta || (alta == b.alta && bassa > b.bassa);
}
inline bool numero::operator<(const numero& b) const {
  return b > *this;
}
inline bool numero::operator==(const numero& b) const {
  return alta == b.alta && bassa == b.bassa;
}

inline bool numero::normaleNonNegativo() const {
  return alta >= 0 && bassa >= 0 && bassa < kBase;
}
inline bool numero::normale() const {
  return normaleNonNegativo() || (alta <= 0 && bassa <= 0 && bassa > -kBase);
}

inline numero numero::operator*(const numero& b) const {
  if (!normaleNonNegativo() || !b.normaleNonNegativo()) return prodottoPerCifre(b);
  // The digit-by-digit product keeps every low limb exact and lets the high limb wrap modulo
  // 2^32, so its limbs are P mod 10^8 and floor(P / 10^8) mod 2^32; so are these.
  const std::uint64_t a1 = static_cast<std::uint32_t>(alta);
  const std::uint64_t a0 = static_cast<std::uint32_t>(bassa);
  const std::uint64_t b1 = static_cast<std::uint32_t>(b.alta);
  const std::uint64_t b0 = static_cast<std::uint32_t>(b.bassa);
  const std::uint64_t basso = a0 * b0;
  if ((alta | b.alta) == 0 && basso < kBase) return numero(0, static_cast<int>(basso));
  const std::uint64_t alto = a1 * b1 * kBase + a1 * b0 + a0 * b1 + basso / kBase;
  return numero(static_cast<int>(static_cast<std::uint32_t>(alto)),
                static_cast<int>(basso % kBase));
}

// Appends one decimal digit to a non-negative value read from text (w = w * 10 + cifra), holding
// it at numero::massimo() once the digits exceed it.
void accodaCifra(numero& w, int cifra);
// The same for a value held in 64 bits while its text is read; numero::da64 then gives the very
// limbs that accodaCifra gives.
inline void accodaCifra(std::uint64_t& w, int cifra) {
  w = w * 10 + static_cast<std::uint64_t>(cifra);
  if (w > numero::kMassimo64) w = numero::kMassimo64;
}

std::ostream& operator<<(std::ostream& os, const numero& x);
// Reads decimal digits one character at a time; the first non-digit ends the number and is
// consumed. Saturates at numero::massimo() while consuming the remaining digits.
std::istream& operator>>(std::istream& is, numero& x);
