#include "driver/ricerca.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <new>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "combinatorial/caricamento.h"
#include "e2e/cartella_prova.h"
#include "primes/primi.h"

namespace {

using Terna = std::tuple<std::int64_t, std::int64_t, std::int64_t>;  // b, a, c as printed

// Prime factors of a with multiplicity, by plain trial division.
std::vector<std::int64_t> Fattori(std::int64_t a) {
  std::vector<std::int64_t> f;
  for (std::int64_t p = 2; p * p <= a; ++p) {
    for (; a % p == 0; a /= p) f.push_back(p);
  }
  if (a > 1) f.push_back(a);
  return f;
}

// Every triple the search can reach at leg a: a² = d × e with d taking fewer than half of the
// prime factors of a², d and e of the same parity; legs with 2 … 9 prime factors only.
std::set<Terna> Raggiungibili(std::int64_t a) {
  const std::vector<std::int64_t> f = Fattori(a);
  std::set<Terna> terne;
  if (f.size() < 2 || f.size() > 9) return terne;
  std::map<std::int64_t, int> esponenti;
  for (std::int64_t p : f) esponenti[p] += 2;
  std::vector<std::pair<std::int64_t, int>> divisori = {{1, 0}};  // value, factor count
  for (const auto& [p, e] : esponenti) {
    std::vector<std::pair<std::int64_t, int>> nuovi;
    for (const auto& [d, k] : divisori) {
      std::int64_t v = d;
      for (int i = 0; i <= e; ++i, v *= p) nuovi.push_back({v, k + i});
    }
    divisori = nuovi;
  }
  const std::int64_t quadrato = a * a;
  for (const auto& [d, k] : divisori) {
    if (k < 1 || k >= static_cast<int>(f.size())) continue;
    const std::int64_t e = quadrato / d;
    if ((e - d) % 2 != 0) continue;
    terne.insert({(e > d ? e - d : d - e) / 2, a, (e + d) / 2});
  }
  return terne;
}

// What a run over M … N reports, leg by leg: a triple is reported unless it was reported within
// the last 100 legs.
std::map<std::int64_t, std::set<Terna>> Attese(std::int64_t m, std::int64_t n) {
  std::map<std::int64_t, std::set<Terna>> attese;
  std::map<std::set<std::int64_t>, std::int64_t> ultimaVolta;
  for (std::int64_t a = m; a <= n; ++a) {
    for (const Terna& t : Raggiungibili(a)) {
      const std::set<std::int64_t> chiave = {std::get<0>(t), std::get<1>(t), std::get<2>(t)};
      const auto trovata = ultimaVolta.find(chiave);
      if (trovata != ultimaVolta.end() && trovata->second >= a - 100) continue;
      ultimaVolta[chiave] = a;
      attese[a].insert(t);
    }
  }
  return attese;
}

std::vector<Terna> Lette(const std::string& console) {
  std::vector<Terna> terne;
  std::istringstream righe(console);
  std::string riga;
  while (std::getline(righe, riga)) {
    long long b = 0, a = 0, c = 0;
    if (std::sscanf(riga.c_str(), "La terna di numeri interi: %lld , %lld , %lld e' Pitagorica.",
                    &b, &a, &c) == 3) {
      terne.push_back({b, a, c});
    }
  }
  return terne;
}

// A results file on a disk that fills up after `limite` bytes.
class FileCheSiRiempie : public std::streambuf {
 public:
  explicit FileCheSiRiempie(std::size_t limite) : limite_(limite) {}
  std::string testo;

 protected:
  int_type overflow(int_type c) override {
    if (c == traits_type::eof()) return traits_type::not_eof(c);
    const char carattere = traits_type::to_char_type(c);
    return xsputn(&carattere, 1) == 1 ? c : traits_type::eof();
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    const std::size_t spazio = limite_ - testo.size();
    const std::streamsize presi =
        (static_cast<std::size_t>(n) < spazio) ? n : static_cast<std::streamsize>(spazio);
    testo.append(s, static_cast<std::size_t>(presi));
    if (presi < n) errno = ENOSPC;
    return presi;
  }
  pos_type seekoff(off_type, std::ios_base::seekdir, std::ios_base::openmode) override {
    return testo.size();
  }

 private:
  std::size_t limite_;
};

// The tables and the prime table, loaded once for a test.
class Ricerca : public testing::Test {
 protected:
  void SetUp() override {
    DentroCartella dentro(TERNE_DATI);
    std::ostringstream ignorato;
    ASSERT_EQ(caricaTabelle(tabelle_, ignorato), 0);
    primi_ = new _myElement;
    ASSERT_EQ(caricaPrimi("numeriPrimi.txt", numero(kCatetoMassimo + 1), primi_), 1);
  }
  void TearDown() override { rilasciaLista(primi_); }

  struct Esito {
    std::string console;
    std::string file;
    FineRicerca fine;
  };
  // Searches M … N; the results file takes `limiteFile` bytes, then refuses every write.
  Esito Cerca(
      int m, int n, const Pausa& pausa = [] {}, std::size_t limiteFile = SIZE_MAX) {
    console_.str("");
    console_.clear();
    FileCheSiRiempie buffer(limiteFile);
    std::ostream file(&buffer);
    _pTerne* head = nullptr;
    _pTerne* tail = nullptr;
    const FineRicerca fine =
        cicloCateti(numero(m), numero(n), primi_, tabelle_, &head, &tail, file, console_, pausa);
    // Only a failed write or a leg left halfway leaves records pending.
    if (fine.causa != FineRicerca::Causa::kScrittura &&
        fine.causa != FineRicerca::Causa::kMemoria) {
      EXPECT_EQ(tail, nullptr);
      EXPECT_EQ(head, nullptr);
    }
    rilasciaTerne(head);
    return {console_.str(), buffer.testo, fine};
  }

  std::ostringstream console_;
  Combinatorial tabelle_[kTabelle];
  _myElement* primi_ = nullptr;
};

TEST_F(Ricerca, StretchesAcrossTheAcceptedRangeReportExactlyTheReachableTriples) {
  const std::pair<int, int> tratti[] = {
      {1, 400}, {9900, 10050}, {30030, 30100}, {46300, 46360}, {65400, 65535}};
  for (const auto& [m, n] : tratti) {
    std::map<std::int64_t, std::set<Terna>> trovate;
    for (const Terna& t : Lette(Cerca(m, n).console)) {
      EXPECT_TRUE(trovate[std::get<1>(t)].insert(t).second) << "ripetuta " << std::get<1>(t);
    }
    EXPECT_EQ(trovate, Attese(m, n)) << m << " … " << n;
  }
}

TEST_F(Ricerca, OrderOfTheSplitsAndTheRepeatTest) {
  using testi::Terna;
  const struct {
    int m, n;
    std::string console, file;
  } casi[] = {
      {4, 4, Terna(3, 4, 5), "3,4,5\n"},
      {6, 8, Terna(8, 6, 10) + Terna(15, 8, 17), "6,8,10\n8,15,17\n"},
      {8, 8, Terna(15, 8, 17) + Terna(6, 8, 10), "8,15,17\n6,8,10\n"},
      {12, 12, Terna(35, 12, 37) + Terna(16, 12, 20) + Terna(9, 12, 15),
       "12,35,37\n12,16,20\n9,12,15\n"},
      {1024, 1024, "", ""},
      {7, 7, "", ""},
      {9, 5, "", ""},
  };
  for (const auto& c : casi) {
    const Esito e = Cerca(c.m, c.n);
    EXPECT_EQ(e.console, c.console) << c.m << " " << c.n;
    EXPECT_EQ(e.file, c.file) << c.m << " " << c.n;
  }
}

TEST_F(Ricerca, TriplesFoundAgainWithinAHundredLegsAreKeptOnce) {
  const std::string unoTrenta = Cerca(1, 30).console;
  EXPECT_EQ(unoTrenta.find(testi::Terna(9, 12, 15)), std::string::npos);
  EXPECT_NE(unoTrenta.find(testi::Terna(12, 9, 15)), std::string::npos);
  EXPECT_NE(unoTrenta.find(testi::Terna(16, 12, 20)), std::string::npos);

  const std::string trecento = Cerca(300, 400).file;
  size_t volte = 0;
  for (size_t p = trecento.find("300,400,500\n"); p != std::string::npos;
       p = trecento.find("300,400,500\n", p + 1))
    ++volte;
  EXPECT_EQ(volte, 1u);

  const Esito e = Cerca(303, 404);
  EXPECT_NE(e.console.find(testi::Terna(404, 303, 505)), std::string::npos);
  EXPECT_NE(e.console.find(testi::Terna(303, 404, 505)), std::string::npos);
  const size_t prima = e.file.find("303,404,505\n");
  ASSERT_NE(prima, std::string::npos);
  EXPECT_NE(e.file.find("303,404,505\n", prima + 1), std::string::npos);
}

TEST_F(Ricerca, LegWithNinePrimeFactorsUsesSizesOneToEight) {
  const std::vector<Terna> lette = Lette(Cerca(512, 512).console);
  const std::set<Terna> attese = Raggiungibili(512);
  EXPECT_EQ(std::set<Terna>(lette.begin(), lette.end()), attese);
  EXPECT_EQ(lette.size(), 8u);  // one triple per size: d = 2^k
}

// However the run is cut short, the file holds whole legs: exactly what a run up to the last of
// them writes. A stop ends it after the leg in progress; a full disk at once.
TEST_F(Ricerca, ARunCutShortLeavesTheFileOfARunUpToItsLastWholeLeg) {
  using Causa = FineRicerca::Causa;
  int pause = 0;
  const struct {
    const char* nome;
    Pausa pausa;
    std::size_t limiteFile;
    Causa causa;
  } casi[] = {
      {"segnale",
       [&] {
         if (++pause == 5) std::raise(SIGINT);
       },
       SIZE_MAX, Causa::kSegnale},
      {"console",
       [&] {
         if (++pause == 5) console_.setstate(std::ios::badbit);
       },
       SIZE_MAX, Causa::kConsole},
      {"memoria",
       [&] {
         if (++pause == 5) throw std::bad_alloc();
       },
       SIZE_MAX, Causa::kMemoria},
      {"disco pieno", [] {}, 3000, Causa::kScrittura},
      {"disco pieno da subito", [] {}, 0, Causa::kScrittura},
  };
  for (const auto& c : casi) {
    pause = 0;
    const Esito corta = Cerca(1, 400, c.pausa, c.limiteFile);
    ASSERT_EQ(corta.fine.causa, c.causa) << c.nome;
    const int salvato = corta.fine.salvato.intero();
    EXPECT_LT(salvato, 400) << c.nome;
    const Esito intera = Cerca(1, salvato);
    EXPECT_EQ(corta.file.substr(0, corta.fine.byte), intera.file) << c.nome;
    EXPECT_EQ(corta.fine.errore, c.causa == Causa::kScrittura ? ENOSPC : 0) << c.nome;
    if (c.causa == Causa::kSegnale) {
      EXPECT_EQ(corta.file, intera.file);
      EXPECT_EQ(corta.console, intera.console);
    }
  }
}

}  // namespace
