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

class numero {
 public:
  int base;   // always 100000000
  int alta;   // high limb
  int bassa;  // low limb

  static constexpr int kBase = 100000000;

  numero();
  numero(int n);  // n >= 10^8 is split; any smaller n (negatives too) stays whole in bassa
  numero(int alta, int bassa);  // the limbs as given, not normalised
  // Decimal text, one decimal position per character (non-digits count 0), at most 30
  // characters; saturates at massimo().
  explicit numero(const char* s);
  numero(const numero&) = default;

  // The largest value in normal form: 2147483647 * 10^8 + 99999999.
  static numero massimo() { return numero(2147483647, 99999999); }

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

  // Operations built on the core.
  numero operator*(const numero& b) const;  // digit-by-digit schoolbook product
  numero operator*(int n) const;
  // Quotient truncated toward zero; resto gets the (never negative) remainder of the
  // magnitudes. A zero divisor gives quotient 0 and the magnitude of the object in resto.
  numero dividi(numero divisore, numero& resto) const;
  // One quotient digit of w / d for 0 <= w <= 10 * d; resto gets w - digit * d.
  static int cifraQuoziente(numero w, numero d, numero& resto);
  numero radice() const;    // floor of the square root; a negative value writes a message
  numero accoda(numero b);  // shifts the object left by b's digits, returns it plus b
  int primaCifra() const;   // leading digit, negated for a negative value
  // The decimal digits as a NUL-terminated text (empty for a negative value). Zero gives a
  // shared constant; every other result is a new array. Release either with rilasciaTesto.
  const char* testo() const;
  static void rilasciaTesto(const char* t);
};

// Appends one decimal digit to a non-negative value read from text (w = w * 10 + cifra), holding
// it at numero::massimo() once the digits exceed it.
void accodaCifra(numero& w, int cifra);

std::ostream& operator<<(std::ostream& os, const numero& x);
// Reads decimal digits one character at a time; the first non-digit ends the number and is
// consumed. Saturates at numero::massimo() while consuming the remaining digits.
std::istream& operator>>(std::istream& is, numero& x);
