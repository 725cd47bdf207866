#include "numero/numero.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

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

std::string Testo(const numero& x) {
  const char* t = x.testo();
  std::string copia(t);
  numero::rilasciaTesto(t);
  // The buffer form must write the same text.
  char buffer[numero::kCifreTesto + 1];
  EXPECT_EQ(x.testoIn(buffer), static_cast<int>(copia.size()));
  EXPECT_EQ(std::string(buffer), copia);
  return copia;
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
              {"214748364799999999", {2147483647, 99999999}},
              {"214748364800000000", {2147483647, 99999999}},
              {"9999999999999999999999999999999999999999", {2147483647, 99999999}},
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

TEST(Numero, SweptProductsMatch64Bit) {
  for (std::int64_t a = 0; a < 2000000000; a = a * 3 + 7) {
    for (std::int64_t b = 0; b < 400000000; b = b * 7 + 3) {
      if (a * b > 214748364799999999) continue;
      EXPECT_EQ(Valore(Da64(a) * Da64(b)), a * b) << a << " x " << b;
      EXPECT_EQ(Valore(Da64(b) * Da64(a)), a * b) << b << " x " << a;
    }
  }
}

TEST(Numero, DivisionGivesTruncatedQuotientAndMagnitudeRemainder) {
  const struct {
    std::int64_t x, d, quoziente, resto;
  } casi[] = {
      {100, 7, 14, 2}, {-100, 7, -14, 2}, {100, -7, -14, 2}, {-100, -7, 14, 2},
      {5, 100, 0, 5},  {0, 7, 0, 0},      {70, 7, 10, 0},    {123456789012, 1000, 123456789, 12},
      {-45, 0, 0, 45}, {45, 0, 0, 45}};
  for (const auto& c : casi) {
    const numero x = Da64(c.x);
    numero resto(99);
    const numero q = x.dividi(Da64(c.d), resto);
    EXPECT_EQ(Valore(q), c.quoziente) << c.x << " / " << c.d;
    EXPECT_EQ(Valore(resto), c.resto) << c.x << " / " << c.d;
    EXPECT_EQ(Valore(x), c.x);
  }
}

TEST(Numero, SweptDivisionsMatch64Bit) {
  for (std::int64_t a = 0; a < 200000000000000000; a = a * 5 + 3) {
    for (std::int64_t d = 1; d < 3000000000; d = d * 3 + 1) {
      numero resto;
      const numero q = Da64(a).dividi(Da64(d), resto);
      EXPECT_EQ(Valore(q), a / d) << a << " / " << d;
      EXPECT_EQ(Valore(resto), a % d) << a << " % " << d;
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
  EXPECT_EQ(Testo(numero(0)), "0");
  EXPECT_EQ(Testo(numero(120)), "120");
  EXPECT_EQ(Testo(numero(100000000)), "100000000");
  EXPECT_EQ(Testo(numero(-5)), "");
  for (std::int64_t v = 1; v < 214748364799999999; v = v * 7 + 5) {
    EXPECT_EQ(Testo(Da64(v)), std::to_string(v));
  }
}

}  // namespace

namespace {

// The direct product and division must give the very limbs of the digit-by-digit procedures,
// wrapped high limbs of out-of-range products included (divisions where the procedure's own
// multiples stay in range).
TEST(Numero, ShortcutsGiveTheLimbsOfTheDigitByDigitProcedures) {
  std::vector<numero> valori;
  for (std::int64_t v = 0; v < 214748364799999999; v = v * 3 + 1) valori.push_back(Da64(v));
  for (int a : {0, 1, 99999999, 2147483647, 1234567, 65535 * 2}) {
    for (int b : {0, 1, 99999999, 50000000}) valori.push_back(numero(a, b));
  }
  valori.push_back(numero(-3, -5));
  valori.push_back(numero(1, -5));
  valori.push_back(numero(0, 150000000));
  for (const numero& a : valori) {
    for (const numero& b : valori) {
      const numero rapido = a * b;
      const numero riferimento = a.prodottoPerCifre(b);
      ASSERT_EQ(rapido.alta, riferimento.alta) << Valore(a) << " x " << Valore(b);
      ASSERT_EQ(rapido.bassa, riferimento.bassa) << Valore(a) << " x " << Valore(b);
      // The long division forms multiples up to ten times the divisor: it needs them in range.
      if (Valore(b) > 21474836479999999 || Valore(b) < -21474836479999999) continue;
      numero resto1, resto2;
      const numero q1 = a.dividi(b, resto1);
      const numero q2 = a.dividiPerCifre(b, resto2);
      ASSERT_TRUE(q1.alta == q2.alta && q1.bassa == q2.bassa) << Valore(a) << " / " << Valore(b);
      ASSERT_TRUE(resto1.alta == resto2.alta && resto1.bassa == resto2.bassa)
          << Valore(a) << " % " << Valore(b);
    }
  }
}

}  // namespace
