#include "numero/numero.h"

#include <cstdint>
#include <iostream>

namespace {

using namespace limbi;

std::int64_t valore64(const numero& x) {
  return static_cast<std::int64_t>(x.alta) * numero::kBase + x.bassa;
}

// The limbs of v: the high one taken modulo 2^32 should v exceed the range.
numero daValore64(std::int64_t v) {
  return numero(static_cast<int>(static_cast<std::uint32_t>(v / numero::kBase)),
                static_cast<int>(v % numero::kBase));
}

// The digit stack of the long division: one node per pushed digit.
struct _cifra {
  int valore;
  _cifra* sotto;
};

void spingi(_cifra*& cima, int valore) {
  cima = new _cifra{valore, cima};
}

int estrai(_cifra*& cima) {
  _cifra* nodo = cima;
  const int valore = nodo->valore;
  cima = nodo->sotto;
  delete nodo;
  return valore;
}

const char kTestoZero[] = "0";

}  // namespace

void accodaCifra(numero& w, int cifra) {
  std::uint64_t v = static_cast<std::uint64_t>(valore64(w));
  accodaCifra(v, cifra);
  w = numero::da64(v);
}

numero::numero(const char* s) : numero() {
  numero w;
  for (int presi = 0; s[presi] != '\0' && presi < kCaratteriTesto; ++presi) {
    const char c = s[presi];
    accodaCifra(w, (c >= '0' && c <= '9') ? c - '0' : 0);
  }
  *this = w;
}

numero& numero::operator=(int n) {
  if (n >= base) {
    alta = n / base;
    bassa = n % base;
  } else {
    alta = 0;
    bassa = n;
  }
  return *this;
}

numero numero::operator+(int n) const {
  return *this + numero(n);
}
numero numero::operator+(unsigned int n) const {
  return *this + static_cast<int>(n);
}
numero numero::operator+(char ch) const {
  return *this + numero(static_cast<signed char>(ch));
}

numero numero::operator++() {
  *this = *this + numero(1);
  return *this;
}

bool numero::operator<=(const numero& b) const {
  return *this < (b + numero(1));
}
bool numero::operator>=(const numero& b) const {
  return *this > (b + numero(-1));
}
bool numero::operator>(int n) const {
  return *this > numero(n);
}
bool numero::operator<(int n) const {
  return *this < numero(n);
}
bool numero::operator==(int n) const {
  return *this == numero(n);
}
bool numero::operator==(unsigned int n) const {
  return *this == static_cast<int>(n);
}

void numero::moltiplica(int n) {
  const numero t(per(bassa, n));
  alta = somma(per(alta, n), t.alta);
  bassa = t.bassa;
}

void numero::dividiPer10(int& cifra) {
  cifra = bassa % 10;
  const int r = alta % 10;
  alta = alta / 10;
  bassa = bassa / 10 + (r * base) / 10;
}

int numero::cifre() const {
  numero copia(*this);
  int conto = 0;
  int scarto = 0;
  while (!(copia == numero(0))) {
    copia.dividiPer10(scarto);
    ++conto;
  }
  return conto;
}

numero numero::prodottoPerCifre(const numero& b) const {
  numero m(alta, bassa);
  numero acc(0);
  numero r(b);
  int cifreBasse = 0;
  // Each digit adds the running multiple times the digit; the multiple is then shifted. Its
  // last shift may leave the range, which the wrap keeps harmless: that value is not used.
  auto passo = [&](int cifra) {
    numero t(m);
    t.moltiplica(cifra);
    m.moltiplica(10);
    acc = acc + t;
  };
  while (r.bassa != 0) {
    passo(r.bassa % 10);
    r.bassa /= 10;
    ++cifreBasse;
  }
  if (r.alta != 0) {
    for (; cifreBasse < 8; ++cifreBasse) m.moltiplica(10);
    while (r.alta != 0) {
      passo(r.alta % 10);
      r.alta /= 10;
    }
  }
  return acc;
}

numero numero::operator*(int n) const {
  return *this * numero(n);
}

numero numero::dividi(numero divisore, numero& resto) const {
  if (!normale() || !divisore.normale()) return dividiPerCifre(divisore, resto);
  // Normal operands: divide the magnitudes exactly and give the quotient its sign, as the long
  // division does. The magnitudes fit 64 bits even for a high limb of INT_MIN.
  const std::int64_t x = valore64(*this);
  const std::int64_t d = valore64(divisore);
  const std::int64_t moduloX = (x < 0) ? -x : x;
  const std::int64_t moduloD = (d < 0) ? -d : d;
  if (moduloD == 0) {
    resto = daValore64(moduloX);
    return numero(0);
  }
  resto = daValore64(moduloX % moduloD);
  const std::int64_t q = moduloX / moduloD;
  return daValore64(((x < 0) != (d < 0)) ? -q : q);
}

numero numero::dividiPerCifre(numero divisore, numero& resto) const {
  const numero zero(0);
  const numero meno(-1);
  const bool positivo = (divisore >= zero && *this >= zero) || (divisore < zero && *this < zero);
  if (divisore < zero) divisore = divisore * meno;
  numero w = (*this < zero) ? *this * meno : *this;
  const int cifreDivisore = divisore.cifre();
  if (cifreDivisore == 0) {
    resto = w;
    return zero;
  }
  _cifra* pila = nullptr;
  numero p = w;
  int cifra = 0;
  while (w.cifre() >= cifreDivisore) {
    p = w;
    w.dividiPer10(cifra);
    spingi(pila, cifra);
  }
  if (pila == nullptr) {
    resto = w;
    return zero;
  }
  estrai(pila);  // already the last digit of p
  w = p;
  numero q(0);
  while (true) {
    q = q * 10 + numero(cifraQuoziente(w, divisore, resto));
    w = resto;
    if (pila == nullptr) break;
    w = w * 10 + estrai(pila);
  }
  return q * numero(positivo ? 1 : -1);
}

int numero::cifraQuoziente(numero w, numero d, numero& resto) {
  int lo = 0;
  int hi = 10;
  int q = 5;
  numero a = d * q;
  numero b = d * (q + 1);
  // With 0 <= w <= 10 * d three halvings suffice; the cap keeps other inputs from looping.
  for (int giri = 0; !(a <= w && b >= w) && giri < 8; ++giri) {
    if (b < w) {
      lo = q;
      q = (hi + q) / 2;
    } else {
      hi = q;
      q = (lo + q) / 2;
    }
    a = d * q;
    b = d * (q + 1);
  }
  if (b == w) {
    resto = 0;
    return q + 1;
  }
  resto = w - a;
  return q;
}

numero numero::radice() const {
  if (*this < numero(0)) {
    std::cout << "Errore: radice di un numero negativo." << std::endl;
  }
  if (*this == numero(0) || *this == numero(1)) return *this;
  numero p(1);
  int n = 0;
  for (; p < *this && n < 19; ++n) p.moltiplica(10);
  const int k = n / 2 + 1;
  numero lo(1);
  for (int i = 2; i < k; ++i) lo.moltiplica(10);
  numero hi = lo * 10 * 10;
  numero diff = hi - lo;
  numero mid(0);
  numero scarto;
  bool trovato = false;
  while (diff > numero(1) && !trovato) {
    mid = (hi + lo).dividi(numero(2), scarto);
    const numero sq = mid * mid;
    if (sq == *this) {
      trovato = true;
    } else if (sq > *this) {
      hi = mid;
    } else {
      lo = mid;
    }
    diff = hi - lo;
  }
  if (trovato) return mid;
  return (hi * hi <= *this) ? hi : lo;
}

numero numero::accoda(numero b) {
  for (int k = b.cifre(); k > 0; --k) moltiplica(10);
  return *this + b;
}

int numero::primaCifra() const {
  int v = (alta != 0) ? alta : bassa;
  while (v / 10 != 0) v /= 10;
  return v;
}

int numero::testoIn(char (&dove)[kCifreTesto + 1]) const {
  if (*this == numero(0)) {
    dove[0] = '0';
    dove[1] = '\0';
    return 1;
  }
  int cifre[kCifreTesto];
  int quante = 0;
  if (normaleNonNegativo()) {
    for (std::uint64_t v = valore64(*this); v > 0; v /= 10)
      cifre[quante++] = static_cast<int>(v % 10);
  } else {
    numero w(*this);
    while (w > 0 && quante < kCifreTesto) w.dividiPer10(cifre[quante++]);
  }
  for (int i = 0; i < quante; ++i) dove[i] = static_cast<char>('0' + cifre[quante - 1 - i]);
  dove[quante] = '\0';
  return quante;
}

const char* numero::testo() const {
  if (*this == numero(0)) return kTestoZero;
  char cifre[kCifreTesto + 1];
  const int quante = testoIn(cifre);
  char* t = new char[quante + 1];
  for (int i = 0; i <= quante; ++i) t[i] = cifre[i];
  return t;
}

void numero::rilasciaTesto(const char* t) {
  if (t != kTestoZero) delete[] t;
}

std::ostream& operator<<(std::ostream& os, const numero& x) {
  if (x.alta == 0) return os << x.bassa;
  os << x.alta;
  const std::int64_t modulo = (x.bassa < 0) ? -static_cast<std::int64_t>(x.bassa) : x.bassa;
  for (std::int64_t v = (modulo == 0) ? 1 : modulo; v < x.base / 10; v *= 10) os << '0';
  return os << modulo;
}

std::istream& operator>>(std::istream& is, numero& x) {
  x = 0;
  char c = 0;
  while (is.get(c) && c >= '0' && c <= '9') accodaCifra(x, c - '0');
  return is;
}
