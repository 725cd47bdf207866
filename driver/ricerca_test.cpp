#include "driver/ricerca.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
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
#include "driver/esecuzione.h"
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

// Writes beyond `byte` bytes fail with EFBIG for as long as it lives, as on a full disk: a
// limit on the size of the files this process writes.
class LimiteFile {
 public:
  explicit LimiteFile(rlim_t byte) {
    getrlimit(RLIMIT_FSIZE, &prima_);
    const rlimit limite = {byte, prima_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limite);
    segnale_ = std::signal(SIGXFSZ, SIG_IGN);
  }
  ~LimiteFile() {
    setrlimit(RLIMIT_FSIZE, &prima_);
    std::signal(SIGXFSZ, segnale_);
  }

 private:
  rlimit prima_;
  void (*segnale_)(int);
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
  };
  // Searches M … N: the lines of the new triples and the results file. `primiInteri`: the legs
  // are factored as the programs factor them once they have checked the prime table.
  Esito Cerca(int m, int n, bool primiInteri = false) {
    std::ostringstream console;
    const int fd = memfd_create("risultati", MFD_CLOEXEC);
    FileRisultati file;
    file.usa(fd);
    TernePendenti pendenti;
    const Pausa nessuna = [] {};
    Suddivisioni suddivisioni(tabelle_);
    ContestoRicerca ricerca{primi_, suddivisioni, pendenti, file, &console, nessuna};
    ricerca.primiInteri = primiInteri;
    EXPECT_EQ(cicloCateti(numero(m), numero(n), ricerca).causa, FineRicerca::Causa::kCompleta);
    EXPECT_EQ(pendenti.head(), nullptr);
    std::string testo(static_cast<size_t>(lseek(fd, 0, SEEK_END)), '\0');
    EXPECT_EQ(pread(fd, testo.data(), testo.size(), 0), static_cast<ssize_t>(testo.size()));
    close(fd);
    return {console.str(), testo};
  }

  struct Dialogo {
    int codice;
    std::string console, errori, file;
  };
  // The whole run of terne over M … N in a scratch folder; its files may grow to `limite`.
  Dialogo Esegui(
      int m, int n, const Pausa& pausa = [] {}, rlim_t limite = RLIM_INFINITY) {
    CartellaProva cartella("dialogo");
    DentroCartella dentro(cartella.percorso);
    std::istringstream in(std::to_string(m) + "\n" + std::to_string(n) + "\nx\n");
    std::ostringstream console, errori;
    console_ = &console;
    int codice = 0;
    {
      LimiteFile limiteFile(limite);
      codice = esegui(in, console, errori, pausa, &tabelle_);
    }
    const std::string nome = "triadiRettangole" + std::to_string(m) + "-" + std::to_string(n);
    return {codice, console.str(), errori.str(), cartella.Leggi(nome + ".txt")};
  }

  Combinatorial tabelle_[kTabelle];
  _myElement* primi_ = nullptr;
  std::ostream* console_ = nullptr;  // the console of the dialogue in progress
};

TEST_F(Ricerca, StretchesAcrossTheAcceptedRangeReportExactlyTheReachableTriples) {
  const std::pair<int, int> tratti[] = {
      {1, 400}, {9900, 10050}, {30030, 30100}, {46300, 46360}, {65400, 65535}};
  for (const auto& [m, n] : tratti) {
    for (const bool primiInteri : {false, true}) {
      std::map<std::int64_t, std::set<Terna>> trovate;
      for (const Terna& t : Lette(Cerca(m, n, primiInteri).console)) {
        EXPECT_TRUE(trovate[std::get<1>(t)].insert(t).second) << "ripetuta " << std::get<1>(t);
      }
      EXPECT_EQ(trovate, Attese(m, n)) << m << " … " << n << (primiInteri ? ", dal cateto" : "");
    }
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

// However the run is cut short, it says so and the file holds whole legs: exactly what a run up
// to the last of them writes, K in the message. A stop ends it after the leg in progress;
// memory running out leaves that leg out, although it had recorded a triple; a full disk ends
// the run at once.
TEST_F(Ricerca, ARunCutShortTellsItAndLeavesTheFileOfARunUpToItsLastWholeLeg) {
  const std::string file = "il file triadiRettangole1-400.txt ";
  const std::string finoA = file + "contiene tutte le terne trovate fino al cateto K.\n";
  int pause = 0;
  const struct {
    const char* nome;
    Pausa pausa;
    rlim_t limite;
    int codice;
    std::string console;  // how it ends, K for the last whole leg
    std::string errori;
  } casi[] = {
      {"segnale",
       [&] {
         if (++pause == 6) std::raise(SIGINT);
       },
       RLIM_INFINITY, 0,
       "\nRicerca interrotta dopo il cateto K: " + file +
           "contiene tutte le terne trovate fino a quel cateto.\n",
       ""},
      {"console",
       [&] {
         if (++pause == 6) console_->setstate(std::ios::badbit);
       },
       RLIM_INFINITY, 1, "", "terne: impossibile scrivere sulla console; " + finoA},
      {"memoria",
       [&] {
         if (++pause == 6) throw std::bad_alloc();
       },
       RLIM_INFINITY, 1, testi::kChiusura, "terne: " + std::string(kMemoriaRicerca) + "; " + finoA},
      {"disco pieno", [] {}, 3000, 1,
       "\nScrittura non riuscita (file troppo grande): " + finoA + testi::kChiusura, ""},
      {"disco pieno da subito", [] {}, 0, 1,
       "\nScrittura non riuscita (file troppo grande): " + finoA + testi::kChiusura, ""},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    pause = 0;
    const Dialogo corto = Esegui(1, 400, c.pausa, c.limite);
    EXPECT_EQ(corto.codice, c.codice);
    // No pause follows a line that the console refused (leg 12 has a triple after the 6th).
    if (c.nome == std::string("console")) {
      EXPECT_EQ(pause, 6);
    }
    EXPECT_EQ(testi::RigheLunghe(corto.errori), "");
    const std::string messaggio = testi::Unito(c.errori.empty() ? corto.console : corto.errori);
    const std::string chiave = c.errori.empty() ? c.console : c.errori;
    const size_t k = chiave.find('K');
    const size_t dove = messaggio.rfind(chiave.substr(0, k));
    ASSERT_NE(dove, std::string::npos) << messaggio;
    const int ultimo = std::atoi(messaggio.c_str() + dove + k);
    EXPECT_EQ(messaggio.substr(dove), std::string(chiave).replace(k, 1, std::to_string(ultimo)));
    EXPECT_LT(ultimo, 400);
    const Dialogo intero = Esegui(1, ultimo);
    EXPECT_EQ(corto.file, intero.file);
    if (c.console.find("interrotta") != std::string::npos) {
      EXPECT_EQ(corto.console.substr(0, dove) + testi::kChiusura, intero.console);
    }
  }
}

}  // namespace
