#include "numero/numero.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "numero/myelement.h"

namespace {

struct Limbi {
  int alta;
  int bassa;
};

void ControllaLimbi(const numero& x, Limbi atteso, const std::string& caso) {
  EXPECT_EQ(x.base, 100000000) << caso;
  EXPECT_EQ(x.alta, atteso.alta) << caso;
  EXPECT_EQ(x.bassa, atteso.bassa) << caso;
}

std::int64_t Valore(const numero& x) {
  return std::int64_t{x.alta} * 100000000 + x.bassa;
}

numero Da64(std::int64_t v) {
  return numero(static_cast<int>(v / 100000000), static_cast<int>(v % 100000000));
}

std::string Scritto(const numero& x) {
  std::ostringstream os;
  os << x;
  return os.str();
}

// testo and testoIn must each give the expected text; neither is checked against the other.
void ControllaTesto(const numero& x, const std::string& atteso) {
  const char* t = x.testo();
  EXPECT_EQ(std::string(t), atteso);
  numero::rilasciaTesto(t);
  char buffer[numero::kCifreTesto + 1];
  EXPECT_EQ(x.testoIn(buffer), static_cast<int>(atteso.size())) << atteso;
  EXPECT_EQ(std::string(buffer), atteso);
}

// A model of the limb rules, kept apart from the code: 32-bit limbs that wrap modulo 2^32.
struct Modello {
  std::int32_t alta, bassa;
};

std::int32_t Avvolto(std::int64_t v) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
}

Modello DaIntero(std::int32_t n) {
  return n >= 100000000 ? Modello{n / 100000000, n % 100000000} : Modello{0, n};
}

Modello Somma(Modello a, Modello b) {
  const std::int32_t s = Avvolto(std::int64_t{a.bassa} + b.bassa);
  return {Avvolto(std::int64_t{s / 100000000} + a.alta + b.alta), s % 100000000};
}

void PerIntero(Modello& a, int n) {
  const Modello t = DaIntero(Avvolto(std::int64_t{a.bassa} * n));
  a = {Avvolto(std::int64_t{a.alta} * n + t.alta), t.bassa};
}

// The schoolbook product: each decimal digit of b, least significant first, adds the running
// multiple of a times the digit; the high limb's digits weigh 10^8.
Modello Prodotto(Modello a, Modello b) {
  Modello multiplo = a, somma{0, 0};
  int cifre = 0;
  auto passo = [&](int cifra) {
    Modello t = multiplo;
    PerIntero(t, cifra);
    PerIntero(multiplo, 10);
    somma = Somma(somma, t);
  };
  for (int r = b.bassa; r != 0; r /= 10, ++cifre) passo(r % 10);
  if (b.alta == 0) return somma;
  for (; cifre < 8; ++cifre) PerIntero(multiplo, 10);
  for (int r = b.alta; r != 0; r /= 10) passo(r % 10);
  return somma;
}

bool Minore(Modello a, Modello b) {
  return a.alta < b.alta || (a.alta == b.alta && a.bassa < b.bassa);
}

TEST(Numero, ConstructionFromIntSplitsOnlyFromTheBase) {
  const struct {
    int n;
    Limbi atteso;
  } casi[] = {{0, {0, 0}},
              {99999999, {0, 99999999}},
              {100000000, {1, 0}},
              {123456789, {1, 23456789}},
              {-5, {0, -5}},
              {-200000000, {0, -200000000}},
              {2147483647, {21, 47483647}}};
  for (const auto& c : casi) {
    ControllaLimbi(numero(c.n), c.atteso, std::to_string(c.n));
    numero assegnato(7, 7);
    assegnato = c.n;
    ControllaLimbi(assegnato, c.atteso, "assegnato " + std::to_string(c.n));
  }
}

TEST(Numero, AdditionSubtractionAndIncrementFollowTheLimbRules) {
  const struct {
    char op;
    Limbi a, b, atteso;
  } casi[] = {
      {'+', {0, 99999999}, {0, 1}, {1, 0}},
      {'+', {-1, -3}, {0, 5}, {-1, 2}},  // opposite signs stay unreconciled
      {'-', {1, 0}, {0, 1}, {0, 99999999}},
      {'-', {0, 5}, {1, 3}, {0, -99999998}},
      {'-', {0, 7}, {0, 7}, {0, 0}},
      {'-', {0, 3}, {0, 8}, {0, -5}},
      {'-', {2, 0}, {0, -1}, {2, 1}},
  };
  for (const auto& c : casi) {
    const numero a(c.a.alta, c.a.bassa), b(c.b.alta, c.b.bassa);
    ControllaLimbi(c.op == '+' ? a + b : a - b, c.atteso, std::string(1, c.op));
  }
  numero x(99999999);
  const numero restituito = ++x;
  ControllaLimbi(x, {1, 0}, "incremento");
  ControllaLimbi(restituito, {1, 0}, "valore restituito");
  ControllaLimbi(numero(10) + '5', {0, 63}, "carattere");
  ControllaLimbi(numero(10) + 5u, {0, 15}, "unsigned");
}

TEST(Numero, ComparisonsAreLimbWise) {
  EXPECT_TRUE(numero(5) <= numero(5));
  EXPECT_TRUE(numero(5) >= numero(5));
  EXPECT_TRUE(numero(100000000) >= numero(99999999));
  EXPECT_FALSE(numero(99999999) >= numero(100000000));
  EXPECT_TRUE(numero(99999999) <= numero(100000000));
  EXPECT_FALSE(numero(1, 0) == numero(0, 100000000));
  EXPECT_TRUE(numero(-3) < 0);
  EXPECT_TRUE(numero(1, -5) > 0);
  EXPECT_TRUE(numero(7) == 7);
  EXPECT_TRUE(numero(7) == 7u);
  // Outside normal form, a <= b is a < b + 1 and a >= b is a > b + (-1), the shifted operand
  // formed by the limb addition: (1, 0) <= (0, 10^8) holds although neither < nor == does.
  const Modello limbi[] = {{1, 0},  {0, 100000000},  {1, -1},         {-1, 0},
                           {-1, 2}, {0, -100000000}, {2, -150000000}, {0, 5}};
  for (const Modello a : limbi) {
    for (const Modello b : limbi) {
      const numero x(a.alta, a.bassa), y(b.alta, b.bassa);
      const std::string caso = std::to_string(a.alta) + "," + std::to_string(a.bassa) + " ~ " +
                               std::to_string(b.alta) + "," + std::to_string(b.bassa);
      EXPECT_EQ(x <= y, Minore(a, Somma(b, {0, 1}))) << caso;
      EXPECT_EQ(x >= y, Minore(Somma(b, {0, -1}), a)) << caso;
    }
  }
}

TEST(Numero, SweptArithmeticMatches64Bit) {
  const std::int64_t valori[] = {0,         1,          7,          99999999,        100000000,
                                 100000001, 123456789,  999999999,  12345678901234,  -1,
                                 -99999999, -100000000, -123456789, -987654321098765};
  for (std::int64_t a : valori) {
    for (std::int64_t b : valori) {
      const numero x = Da64(a), y = Da64(b);
      EXPECT_EQ(Valore(x - y), a - b) << a << " - " << b;
      EXPECT_EQ(x < y, a < b) << a << " < " << b;
      EXPECT_EQ(x <= y, a <= b) << a << " <= " << b;
      EXPECT_EQ(x >= y, a >= b) << a << " >= " << b;
      if (a >= 0 && b >= 0) {
        EXPECT_EQ(Valore(x + y), a + b) << a << " + " << b;
      }
      if (a >= 0) {
        EXPECT_EQ(x.a64(), static_cast<std::uint64_t>(a)) << a;
      }
    }
  }
}

TEST(Numero, MoltiplicaDividiPer10AndCifre) {
  numero a(99999999);
  a.moltiplica(10);
  ControllaLimbi(a, {9, 99999990}, "99999999 x 10");
  numero b(3, 12345678);
  b.moltiplica(10);
  ControllaLimbi(b, {31, 23456780}, "(3,12345678) x 10");
  int cifra = -1;
  numero c(123456789);
  c.dividiPer10(cifra);
  ControllaLimbi(c, {0, 12345678}, "123456789 / 10");
  EXPECT_EQ(cifra, 9);
  numero d(1, 0);
  d.dividiPer10(cifra);
  ControllaLimbi(d, {0, 10000000}, "(1,0) / 10");
  EXPECT_EQ(cifra, 0);
  EXPECT_EQ(numero(0).cifre(), 0);
  EXPECT_EQ(numero(99999999).cifre(), 8);
  EXPECT_EQ(numero(100000000).cifre(), 9);
  EXPECT_EQ(numero(-4567).cifre(), 4);
}

TEST(Numero, IntegerWrapsModulo2To32) {
  for (std::int64_t v = 0; v <= 1100000000; v += 977777) {
    const numero x = Da64(v);
    const std::uint32_t atteso = static_cast<std::uint32_t>(v * v);
    EXPECT_EQ(static_cast<std::uint32_t>((x * x).intero()), atteso) << v;
  }
  EXPECT_EQ(numero(21, 47483648).intero(), -2147483647 - 1);
}

TEST(Numero, TextConstructorCountsEveryCharacterAsADigit) {
  const struct {
    const char* testo;
    Limbi atteso;
  } casi[] = {{"0012", {0, 12}},
              {"12a4", {0, 1204}},
              {"-7", {0, 7}},
              {"", {0, 0}},
              {"123456789012", {1234, 56789012}},
              {"214748364799999998", {2147483647, 99999998}},  // just below saturation
              {"214748364799999999", {2147483647, 99999999}},
              {"214748364800000000", {2147483647, 99999999}},
              {"9999999999999999999999999999999999999999", {2147483647, 99999999}},
              {"000000000000000000000000000123", {0, 123}},    // 30 characters: all read
              {"000000000000000000000000000000123", {0, 0}}};  // only 30 characters read
  for (const auto& c : casi) ControllaLimbi(numero(c.testo), c.atteso, c.testo);
}

TEST(Numero, StreamOutputPadsTheLowLimb) {
  const struct {
    Limbi x;
    const char* atteso;
  } casi[] = {{{1, 0}, "100000000"},    {{3, 45}, "300000045"}, {{0, 0}, "0"},
              {{0, -7}, "-7"},          {{1, 5}, "100000005"},  {{12, 0}, "1200000000"},
              {{-1, -3}, "-100000003"}, {{0, 7}, "7"}};
  for (const auto& c : casi) EXPECT_EQ(Scritto(numero(c.x.alta, c.x.bassa)), c.atteso);
}

TEST(Numero, StreamInputStopsAtAndConsumesTheFirstNonDigit) {
  const struct {
    const char* ingresso;
    std::int64_t atteso;
    const char* resto;
  } casi[] = {{"123\nz", 123, "z"},
              {"12,34", 12, "34"},
              {" 5", 0, "5"},
              {"007", 7, ""},
              {"45", 45, ""},
              {"-3", 0, "3"},
              {"", 0, ""},
              {"214748364799999998x", 214748364799999998, ""},
              {"214748364800000000", 214748364799999999, ""},
              {"99999999999999999999999999999999999999999x9", 214748364799999999, "9"}};
  for (const auto& c : casi) {
    std::istringstream is(c.ingresso);
    numero x(5);
    is >> x;
    EXPECT_EQ(Valore(x), c.atteso) << c.ingresso;
    std::string resto;
    is.clear();
    std::getline(is, resto, '\0');
    EXPECT_EQ(resto, c.resto) << c.ingresso;
  }
  std::istringstream fallito("12");
  fallito.setstate(std::ios::failbit);
  numero x(5);
  fallito >> x;
  ControllaLimbi(x, {0, 0}, "stream in errore");
}

TEST(Numero, ProductMatchesPinnedLimbs) {
  ControllaLimbi(numero(12345) * numero(678), {0, 8369910}, "12345 x 678");
  ControllaLimbi(numero(0, 3) * numero(1, 0), {3, 0}, "3 x 10^8");
  ControllaLimbi(numero(100000005) * numero(100000005), {100000010, 25}, "100000005^2");
  ControllaLimbi(numero(123456789) * numero(123456789), {152415787, 50190521}, "123456789^2");
  ControllaLimbi(numero(987654) * numero(0), {0, 0}, "x 0");
  ControllaLimbi(numero(1, 5) * numero(-1), {-1, -5}, "negazione");
  ControllaLimbi(numero(-12) * 1, {0, -12}, "negativo x 1");
}

TEST(Numero, DivisionGivesTruncatedQuotientAndMagnitudeRemainder) {
  const struct {
    std::int64_t x, d, quoziente, resto;
  } casi[] = {{100, 7, 14, 2},
              {-100, 7, -14, 2},
              {100, -7, -14, 2},
              {-100, -7, 14, 2},
              {5, 100, 0, 5},
              {0, 7, 0, 0},
              {70, 7, 10, 0},
              {123456789012, 1000, 123456789, 12},
              {-200000000000000000, 30000000000000000, -6, 20000000000000000}};
  for (const auto& c : casi) {
    const numero x = Da64(c.x);
    numero resto(99);
    const numero q = x.dividi(Da64(c.d), resto);
    EXPECT_EQ(Valore(q), c.quoziente) << c.x << " / " << c.d;
    EXPECT_EQ(Valore(resto), c.resto) << c.x << " / " << c.d;
    EXPECT_EQ(Valore(x), c.x);
  }
  numero resto;
  EXPECT_EQ(Valore(numero(45).dividi(numero(0), resto)), 0);  // a caller error, yet it returns
  // Outside normal form the digit-by-digit procedure works on the limbs as they are: a low limb
  // of the base or more, or limbs of both signs, give these limbs, not the division of values.
  const struct {
    Limbi x, d, quoziente, resto;
  } fuori[] = {{{1, 250000000}, {1, 0}, {0, 0}, {3, 50000000}},
               {{1, -5}, {0, 10}, {0, 10000000}, {0, -5}},
               {{1, -99999999}, {0, 10}, {0, 5}, {0, -49}},
               {{1, -250000000}, {0, 7}, {0, 0}, {-1, -50000000}},
               {{0, 250000000}, {0, 3}, {0, 83333333}, {0, 1}},
               {{-1, 5}, {0, 7}, {0, -14285713}, {0, 4}},
               {{-3, 250000000}, {0, -7}, {0, 7142857}, {0, 1}},
               {{3, 7}, {0, 250000000}, {0, 1}, {0, 50000007}},
               {{2, -1}, {-1, 5}, {0, -2}, {0, 9}},
               {{0, 100}, {1, -99999999}, {0, 0}, {0, 100}}};  // a normal one by a divisor not
  for (const auto& c : fuori) {
    const std::string caso = std::to_string(c.x.alta) + "," + std::to_string(c.x.bassa) + " / " +
                             std::to_string(c.d.alta) + "," + std::to_string(c.d.bassa);
    ControllaLimbi(numero(c.x.alta, c.x.bassa).dividi(numero(c.d.alta, c.d.bassa), resto),
                   c.quoziente, caso);
    ControllaLimbi(resto, c.resto, caso + " resto");
  }
}

// Every sign and size up to the largest normal value, against 64-bit division.
TEST(Numero, SweptDivisionsMatch64Bit) {
  constexpr std::int64_t kMassimo = 214748364799999999;
  std::vector<std::int64_t> valori = {kMassimo, kMassimo - 1, kMassimo / 10, 99999999, 100000000};
  for (std::int64_t v = 1; v < kMassimo / 3; v = v * 3 + 1) valori.push_back(v);
  for (std::int64_t a : valori) {
    for (std::int64_t d : valori) {
      for (const auto& [sa, sd] : {std::pair{1, 1}, {-1, 1}, {1, -1}, {-1, -1}}) {
        const std::int64_t x = sa * a, y = sd * d;
        numero resto(-99);
        const numero q = Da64(x).dividi(Da64(y), resto);
        ASSERT_EQ(Valore(q), x / y) << x << " / " << y;
        ASSERT_EQ(Valore(resto), a % d) << x << " % " << y;
        ASSERT_TRUE(q.normale() && resto.normale()) << x << " / " << y;
      }
    }
  }
}

TEST(Numero, RadiceIsTheFloorOfTheSquareRoot) {
  const struct {
    std::int64_t x, atteso;
  } casi[] = {{0, 0},
              {1, 1},
              {2, 1},
              {3, 1},
              {4, 2},
              {99, 9},
              {100, 10},
              {101, 10},
              {1000, 31},
              {1000000000000000, 31622776},
              {152415765279684, 12345678}};
  for (const auto& c : casi) EXPECT_EQ(Valore(Da64(c.x).radice()), c.atteso) << c.x;
  for (std::int64_t x = 2; x < 1000000000000000; x = x * 3 + 1) {
    const std::int64_t r = Valore(Da64(x).radice());
    EXPECT_TRUE(r * r <= x && (r + 1) * (r + 1) > x) << x;
  }
  testing::internal::CaptureStdout();
  EXPECT_EQ(Valore(numero(-5).radice()), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Errore: radice di un numero negativo.\n");
}

TEST(Numero, DigitUtilitiesAndText) {
  numero a(12);
  ControllaLimbi(a.accoda(numero(345)), {0, 12345}, "accoda");
  ControllaLimbi(a, {0, 12000}, "accoda sposta l'oggetto");
  numero b(12);
  ControllaLimbi(b.accoda(numero(0)), {0, 12}, "accoda zero");
  EXPECT_EQ(numero(0).primaCifra(), 0);
  EXPECT_EQ(numero(-345).primaCifra(), -3);
  EXPECT_EQ(numero(123456789).primaCifra(), 1);
  ControllaTesto(numero(0), "0");
  ControllaTesto(numero(120), "120");
  ControllaTesto(numero(100000000), "100000000");
  ControllaTesto(numero(-5), "");
  for (std::int64_t v = 1; v < 214748364799999999; v = v * 7 + 5) {
    ControllaTesto(Da64(v), std::to_string(v));
  }
}

}  // namespace

namespace {

__extension__ typedef unsigned __int128 U128;

// The product against independent references: 128-bit arithmetic where both operands are
// normal and non-negative (the high limb of an out-of-range product wraps modulo 2^32), the
// limb model above for every other operand.
TEST(Numero, ProductsMatchTheLimbRulesForEveryOperand) {
  std::vector<numero> valori;
  for (std::int64_t v = 0; v < 214748364799999999; v = v * 3 + 1) valori.push_back(Da64(v));
  for (int a : {0, 1, 99999999, 2147483647, 1234567, 65535 * 2}) {
    for (int b : {0, 1, 99999999, 50000000}) valori.push_back(numero(a, b));
  }
  for (Modello m : {Modello{-3, -5}, {1, -5}, {0, 150000000}, {0, -7}, {-2, 0}, {5, -200000000}})
    valori.push_back(numero(m.alta, m.bassa));
  for (const numero& a : valori) {
    for (const numero& b : valori) {
      const numero p = a * b;
      Modello atteso;
      if (a.normaleNonNegativo() && b.normaleNonNegativo()) {
        const U128 vero = static_cast<U128>(Valore(a)) * static_cast<U128>(Valore(b));
        atteso = {Avvolto(static_cast<std::int64_t>(static_cast<std::uint32_t>(vero / 100000000))),
                  static_cast<std::int32_t>(vero % 100000000)};
      } else {
        atteso = Prodotto({a.alta, a.bassa}, {b.alta, b.bassa});
      }
      ASSERT_EQ(p.alta, atteso.alta)
          << a.alta << "," << a.bassa << " x " << b.alta << "," << b.bassa;
      ASSERT_EQ(p.bassa, atteso.bassa)
          << a.alta << "," << a.bassa << " x " << b.alta << "," << b.bassa;
    }
  }
}

}  // namespace

namespace {

// A long run releases as many nodes as it makes: the cells of released nodes must serve the
// next ones, or its memory would grow without end. Under AddressSanitizer nodes come from the
// global allocator, which holds released memory back on purpose.
TEST(MyElement, ReleasedNodesAreReused) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "nodes come from the global allocator";
#endif
  std::vector<_myElement*> nodi(5000);
  for (auto& n : nodi) n = new _myElement;
  const std::set<_myElement*> primi(nodi.begin(), nodi.end());
  for (auto n : nodi) delete n;
  for (auto& n : nodi) n = new _myElement;
  for (auto n : nodi) EXPECT_EQ(primi.count(n), 1u);
  for (auto n : nodi) delete n;
}

}  // namespace
