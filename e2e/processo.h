// The harness of the end-to-end tests: a built program started in a scratch folder with real
// input files, its standard input written by the test, its standard output and error captured,
// optionally with the test preload libraries (no pause, a failing disk, a run held at a moment).
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e/cartella_prova.h"

namespace e2e {

using namespace std::chrono_literals;
// How a program is started, beyond its arguments.
struct Opzioni {
  bool senzaPausa = false;      // every pause preloaded away
  long limiteScrittura = -1;    // the results file takes that many bytes, then the disk is full
  bool scritturaNulla = false;  // beyond it a write returns 0 and sets no error number
  long fermaDopo = -1;          // the program stops itself once the file holds that many bytes
  const char* fsyncGuasto = nullptr;  // syncing the results file fails: "1" (EIO) or "EINVAL"
  long chiamata = -1;                 // at this writing call on the output (counted from 1) …
  long lettura = -1;                  // … or at this read of it …
  const char* azione = nullptr;       // … this is raised ("SIGINT") or the call fails ("ENOSPC")
  bool taglioGuasto = false;          // cutting the output back fails with EIO
  const char* conteggio = nullptr;    // the numbers of writing calls and of reads go to this file
  bool tubo = false;  // standard output is a pipe that the test holds (and reads when it wants)
  bool senzaPrivilegi = false;           // run as the user nobody when the test runs as root
  const char* spostaAlBlocco = nullptr;  // the output is renamed to this just before its lock
  const char* prefisso = nullptr;        // the output watched is the file whose name begins so
  // Standard output, or error, goes there instead of a capture file, appended as with >>; "&-"
  // closes it, as the shell's >&- does; "<FILE" opens FILE for reading only; "&1" is standard
  // output itself, as 2>&1.
  const char* uscita = nullptr;
  const char* errori = nullptr;
  const char* ingresso = nullptr;  // standard input is this file, read and written, as with 0<>
  const char* giaNellUscita = nullptr;  // the capture file holds this, and standard output appends
                                        // to it, as with >>
  int chiudiUscitaDopo = -1;  // standard output is a pipe the test closes after those lines
  rlim_t memoria = 0;         // a limit on the address space, in bytes
  rlim_t limiteFile = 0;      // a limit on the size of the files it writes, in bytes
  // terne-prepara is not on PATH, as after ./avvia; otherwise the folder of the one built is
  // first on PATH, so that the hints name it bare.
  bool preparaFuoriDalPath = false;
};

// A program started in a folder, its standard output and error captured in files there.
class Processo {
 public:
  Processo(const std::string& programma, const std::filesystem::path& cartella,
           const std::vector<std::string>& argomenti = {}, const Opzioni& o = {})
      : uscita_(cartella / ".uscita"), errori_(cartella / ".errori") {
    int tubo[2];
    int tuboUscita[2] = {-1, -1};
    EXPECT_EQ(pipe(tubo), 0);
    if (o.tubo || o.chiudiUscitaDopo >= 0) {
      EXPECT_EQ(pipe(tuboUscita), 0);
    }
    pid_ = fork();
    if (pid_ == 0) {
      dup2(tubo[0], 0);
      close(tubo[0]);
      close(tubo[1]);
      if (chdir(cartella.c_str()) != 0) _exit(127);
      Prepara(o);
      dup2(open(errori_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644), 2);
      if (o.tubo || o.chiudiUscitaDopo >= 0) {
        dup2(tuboUscita[1], 1);
        close(tuboUscita[0]);
        close(tuboUscita[1]);
      } else if (o.uscita != nullptr) {
        Redirigi(o.uscita, 1);
      } else {
        const int fd = open(uscita_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (o.giaNellUscita != nullptr) {  // then opened as >> opens it: at 0, to append
          if (write(fd, o.giaNellUscita, strlen(o.giaNellUscita)) < 0) _exit(127);
          lseek(fd, 0, SEEK_SET);
          fcntl(fd, F_SETFL, O_APPEND);
        }
        dup2(fd, 1);
      }
      if (o.errori != nullptr) Redirigi(o.errori, 2);
      if (o.ingresso != nullptr) dup2(open(o.ingresso, O_RDWR | O_CREAT, 0644), 0);
      // Opened while still privileged: the user nobody may not reach the build folder.
      const int eseguibile = open(programma.c_str(), O_RDONLY | O_CLOEXEC);
      if (o.senzaPrivilegi && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
        _exit(127);
      }
      std::vector<char*> argv = {const_cast<char*>(programma.c_str())};
      for (const auto& a : argomenti) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      fexecve(eseguibile, argv.data(), environ);
      _exit(127);
    }
    close(tubo[0]);
    ingresso_ = tubo[1];
    if (o.tubo || o.chiudiUscitaDopo >= 0) {
      close(tuboUscita[1]);
      uscitaTubo_ = tuboUscita[0];
    }
  }
  ~Processo() {
    if (ingresso_ >= 0) close(ingresso_);
    if (uscitaTubo_ >= 0) close(uscitaTubo_);
    if (stato_ < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  void Scrivi(const std::string& testo) {
    EXPECT_EQ(write(ingresso_, testo.data(), testo.size()), static_cast<ssize_t>(testo.size()));
  }
  void ChiudiIngresso() {
    close(ingresso_);
    ingresso_ = -1;
  }
  void Segnala(int segnale) { kill(pid_, segnale); }
  // Waits until the program has stopped itself; false when it ended or time ran out first.
  bool AttendiFermo(std::chrono::seconds limite = 60s) {
    const auto fine = std::chrono::steady_clock::now() + limite;
    while (stato_ < 0 && std::chrono::steady_clock::now() < fine) {
      int stato = 0;
      const pid_t pid = waitpid(pid_, &stato, WNOHANG | WUNTRACED);
      if (pid == pid_ && WIFSTOPPED(stato)) return true;
      if (pid == pid_) stato_ = stato;
      std::this_thread::sleep_for(5ms);
    }
    return false;
  }
  // Waits until /proc/PID/`voce` starts with `atteso`: "syscall" shows the system call the
  // program is blocked in ("1 0x1 ": a write on descriptor 1), "wchan" where the kernel holds it
  // ("wait_for_partner": the open of a FIFO, waiting for its other end). False when the program
  // ended or time ran out first.
  bool AttendiStato(const char* voce, const std::string& atteso,
                    std::chrono::seconds limite = 60s) {
    const auto fine = std::chrono::steady_clock::now() + limite;
    while (stato_ < 0 && std::chrono::steady_clock::now() < fine) {
      std::ifstream chiamata("/proc/" + std::to_string(pid_) + "/" + voce);
      std::string riga;
      if (std::getline(chiamata, riga) && riga.rfind(atteso, 0) == 0) return true;
      if (int stato = 0; waitpid(pid_, &stato, WNOHANG) == pid_) stato_ = stato;
      std::this_thread::sleep_for(5ms);
    }
    return false;
  }
  // The test's end of the output pipe.
  int Tubo() const { return uscitaTubo_; }
  // Reads the output pipe until `righe` lines have come, then closes it, as `head` does.
  // Reads `righe` lines of standard output's pipe, then closes it; a program that writes no more
  // is waited for `limite` at most, so that the row fails instead of hanging.
  void ChiudiUscitaDopo(int righe, std::chrono::milliseconds limite = 60s) {
    const auto fine = std::chrono::steady_clock::now() + limite;
    char c = 0;
    while (righe > 0) {
      const auto resta = std::chrono::duration_cast<std::chrono::milliseconds>(
          fine - std::chrono::steady_clock::now());
      pollfd attesa = {uscitaTubo_, POLLIN, 0};
      if (resta.count() <= 0 || poll(&attesa, 1, static_cast<int>(resta.count())) <= 0 ||
          read(uscitaTubo_, &c, 1) != 1) {
        break;
      }
      righe -= (c == '\n');
    }
    EXPECT_EQ(righe, 0) << "righe che non sono arrivate";
    close(uscitaTubo_);
    uscitaTubo_ = -1;
  }

  // The wait status once the program ended within the time given, -1 otherwise.
  int Attendi(std::chrono::milliseconds limite = 60s) {
    const auto fine = std::chrono::steady_clock::now() + limite;
    while (stato_ < 0 && std::chrono::steady_clock::now() < fine) {
      int stato = 0;
      if (waitpid(pid_, &stato, WNOHANG) == pid_) {
        stato_ = stato;
      } else {
        std::this_thread::sleep_for(5ms);
      }
    }
    return stato_;
  }
  // Waits until the console shows `testo`; false when the program ended or time ran out first.
  bool AttendiTesto(const std::string& testo, std::chrono::milliseconds limite = 30s) {
    const auto fine = std::chrono::steady_clock::now() + limite;
    while (std::chrono::steady_clock::now() < fine) {
      if (Uscita().find(testo) != std::string::npos) return true;
      std::this_thread::sleep_for(5ms);
    }
    return false;
  }
  // Standard output and error with the messages' lines joined again (testi::Unito); every line
  // of standard error fits a terminal of 80 columns.
  std::string Uscita() const { return testi::Unito(UscitaGrezza()); }
  std::string UscitaGrezza() const { return LeggiFile(uscita_); }
  std::string Errori() const {
    const std::string errori = LeggiFile(errori_);
    EXPECT_EQ(testi::RigheLunghe(errori), "");
    return testi::Unito(errori);
  }

 private:
  static std::string LeggiFile(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  // In the child: descriptor fd appends to `dove`, reads "<FILE", or is closed for "&-".
  static void Redirigi(const char* dove, int fd) {
    if (std::string(dove) == "&1") {
      dup2(1, fd);
      return;
    }
    close(fd);
    if (*dove == '<') dup2(open(dove + 1, O_RDONLY), fd);
    if (*dove != '<' && std::string(dove) != "&-") {
      dup2(open(dove, O_WRONLY | O_CREAT | O_APPEND, 0644), fd);
    }
  }
  // In the child, before the program starts.
  static void Prepara(const Opzioni& o) {
    if (!o.preparaFuoriDalPath) {
      const char* path = std::getenv("PATH");
      const std::string strumenti = std::filesystem::path(PREPARA_BIN).parent_path().string();
      setenv("PATH", (strumenti + ":" + (path != nullptr ? path : "/usr/bin:/bin")).c_str(), 1);
    }
    std::string preload;
    if (o.senzaPausa) preload = SENZA_PAUSA_LIB;
    const bool guasti = o.limiteScrittura >= 0 || o.fermaDopo >= 0 || o.fsyncGuasto != nullptr ||
                        o.chiamata >= 0 || o.lettura >= 0 || o.taglioGuasto ||
                        o.conteggio != nullptr || o.spostaAlBlocco != nullptr;
    if (guasti) {
      preload += std::string(preload.empty() ? "" : " ") + DISCO_GUASTO_LIB;
    }
    if (o.limiteScrittura >= 0) {
      setenv("TERNE_LIMITE_SCRITTURA", std::to_string(o.limiteScrittura).c_str(), 1);
    }
    if (o.scritturaNulla) setenv("TERNE_SCRITTURA_NULLA", "1", 1);
    if (o.fermaDopo >= 0) setenv("TERNE_FERMA_DOPO", std::to_string(o.fermaDopo).c_str(), 1);
    if (o.fsyncGuasto != nullptr) setenv("TERNE_FSYNC_GUASTO", o.fsyncGuasto, 1);
    if (o.chiamata >= 0) setenv("TERNE_CHIAMATA", std::to_string(o.chiamata).c_str(), 1);
    if (o.lettura >= 0) setenv("TERNE_LETTURA", std::to_string(o.lettura).c_str(), 1);
    if (o.taglioGuasto) setenv("TERNE_TAGLIO_GUASTO", "1", 1);
    if (o.azione != nullptr) setenv("TERNE_AZIONE", o.azione, 1);
    if (o.conteggio != nullptr) setenv("TERNE_CONTEGGIO", o.conteggio, 1);
    if (o.spostaAlBlocco != nullptr) setenv("TERNE_SPOSTA_AL_BLOCCO", o.spostaAlBlocco, 1);
    if (o.prefisso != nullptr) setenv("TERNE_PREFISSO", o.prefisso, 1);
    if (!preload.empty()) {
      setenv("LD_PRELOAD", preload.c_str(), 1);
      setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
    }
    if (o.memoria > 0) {
      const rlimit limite = {o.memoria, o.memoria};
      setrlimit(RLIMIT_AS, &limite);
    }
    if (o.limiteFile > 0) {
      const rlimit limite = {o.limiteFile, o.limiteFile};
      setrlimit(RLIMIT_FSIZE, &limite);
    }
  }
  std::filesystem::path uscita_, errori_;
  pid_t pid_ = -1;
  int ingresso_ = -1;
  int uscitaTubo_ = -1;
  int stato_ = -1;
};

struct Esito {
  std::string uscita;
  int codice;  // exit code, or -1 when the program did not end normally in time
};

// Runs terne with the whole standard input given and closed; standard error must read `errori`.
inline Esito Terne(const CartellaProva& cartella, const std::string& ingresso,
                   const Opzioni& opzioni = {}, const std::string& errori = "") {
  Processo p(TERNE_BIN, cartella.percorso, {}, opzioni);
  p.Scrivi(ingresso);
  p.ChiudiIngresso();
  const int stato = p.Attendi();
  EXPECT_EQ(p.Errori(), errori);
  return {p.Uscita(), (stato >= 0 && WIFEXITED(stato)) ? WEXITSTATUS(stato) : -1};
}

// terne's line on standard error at the end of a search that wrote every triple.
inline std::string Trovate(const std::string& nome) {
  return "terne: le terne trovate sono nel file " + nome + "\n";
}

// terne's line on standard error that tells how to prepare an input file again.
inline std::string Prepararlo(const std::string& nome) {
  return "terne: per preparare di nuovo " + nome + ", nella cartella di lavoro: terne-prepara\n";
}

// terne's lines on standard error that ask to move away what stands at an input's name first.
inline std::string Spostarlo(const std::string& nome) {
  return "terne: spostare o rimuovere " + nome + ", poi, nella cartella di lavoro: terne-prepara\n";
}

// The leg after "fino al cateto " in a message, -1 when there is none.
inline int CatetoNominato(const std::string& messaggio) {
  const std::string chiave = "fino al cateto ";
  const size_t dove = messaggio.find(chiave);
  return dove == std::string::npos ? -1 : std::stoi(messaggio.substr(dove + chiave.size()));
}

// The records of a search of the legs m … k, leg by leg, each leg's sorted (the program gives
// them in the order of its table walk), computed apart from the program by the rule it follows:
// for a leg a whose square has t prime factors (4 <= t <= 19, with multiplicity), each divisor d
// of a² made of 1 to ⌈t/2⌉ - 1 of them, with e = a²/d other than d and of its parity, gives the
// triple a, |e - d| / 2, (e + d) / 2; one recorded within the last 100 legs is not recorded again.
inline std::vector<std::vector<std::string>> TerneAttese(int m, int k) {
  std::vector<std::vector<std::string>> perCateto;
  std::map<std::string, long long> registrata;  // the leg of each triple's last record
  for (long long a = m; a <= k; ++a) {
    std::vector<std::pair<long long, int>> divisori = {{1, 0}};  // with their prime factors
    int t = 0;
    long long resto = a;
    for (long long p = 2; resto > 1; ++p) {
      if (p * p > resto) p = resto;  // what is left is prime
      int esponente = 0;
      for (; resto % p == 0; resto /= p) esponente += 2;
      const auto prima = divisori;
      for (auto [d, n] : prima) {
        for (int i = 1; i <= esponente; ++i) divisori.push_back({d *= p, n + i});
      }
      t += esponente;
    }
    std::set<std::string> nuove;
    for (const auto& [d, n] : divisori) {
      const long long e = a * a / d;
      if (t < 4 || t > 19 || n < 1 || n > (t + 1) / 2 - 1 || e == d || (e - d) % 2 != 0) continue;
      long long x[3] = {a, std::llabs(e - d) / 2, (e + d) / 2};
      std::sort(x, x + 3);
      const std::string terna =
          std::to_string(x[0]) + "," + std::to_string(x[1]) + "," + std::to_string(x[2]) + "\n";
      const auto r = registrata.find(terna);
      if (r == registrata.end() || a - r->second > 100) nuove.insert(terna);
    }
    for (const auto& terna : nuove) registrata[terna] = a;
    perCateto.emplace_back(nuove.begin(), nuove.end());
  }
  return perCateto;
}

// The results file of a complete search of the legs m … k, each leg's records sorted.
inline std::string RicercaAttesa(int m, int k) {
  std::string file;
  for (const auto& cateto : TerneAttese(m, k)) {
    for (const auto& terna : cateto) file += terna;
  }
  return file;
}

// The file with each leg's records sorted as RicercaAttesa sorts them: its lines taken, leg by
// leg, as many as the leg has records; what is left stays as it is.
inline std::string PerCateto(const std::string& file, int m, int k) {
  std::istringstream righe(file);
  std::string ordinato;
  for (const auto& cateto : TerneAttese(m, k)) {
    std::vector<std::string> queste;
    for (std::string riga; queste.size() < cateto.size() && std::getline(righe, riga);) {
      queste.push_back(riga + (righe.eof() ? "" : "\n"));
    }
    std::sort(queste.begin(), queste.end());
    for (const auto& riga : queste) ordinato += riga;
  }
  return ordinato + std::string(std::istreambuf_iterator<char>(righe), {});
}

// The results file that a complete run of M … K writes.
inline std::string FileDiUnaRicerca(int m, int k) {
  CartellaProva riferimento("riferimento");
  Processo p(CERCA_BIN, riferimento.percorso, {"-q", std::to_string(m), std::to_string(k)});
  EXPECT_EQ(p.Attendi(120s), 0);
  return riferimento.Leggi("triadiRettangole" + std::to_string(m) + "-" + std::to_string(k) +
                           ".txt");
}

// Runs a shell command in the folder; its exit status as std::system gives it.
inline int Esegui(const CartellaProva& cartella, const std::string& comando) {
  return std::system(("cd '" + cartella.percorso.string() + "' && " + comando).c_str());
}

// A FIFO in a folder and a reader that takes all that comes through it. The test holds a writing
// end of its own open until Letto, so the reader neither sees the end before the program has
// written nor waits for a writer.
class LettoreFifo {
 public:
  explicit LettoreFifo(const std::filesystem::path& fifo) {
    EXPECT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    tenuto_ = open(fifo.c_str(), O_RDWR);
    lettore_ = std::thread([this, fifo] {
      const int fd = open(fifo.c_str(), O_RDONLY);
      char pezzo[4096];
      for (ssize_t n; (n = read(fd, pezzo, sizeof pezzo)) > 0;) letto_.append(pezzo, n);
      close(fd);
    });
  }
  ~LettoreFifo() { Letto(); }
  // All that came through, once the programs that write are done.
  const std::string& Letto() {
    if (tenuto_ >= 0) close(tenuto_);
    tenuto_ = -1;
    if (lettore_.joinable()) lettore_.join();
    return letto_;
  }

 private:
  int tenuto_ = -1;
  std::string letto_;
  std::thread lettore_;
};

// One command line of a program and what it answers: the exit code, and the start of standard
// output and of standard error, each of which must be empty when its expected start is.
struct RigaDiComando {
  std::vector<std::string> argomenti;
  int codice;
  std::string uscita;
  std::string errori;
  Opzioni opzioni = {};
  // Prepares a folder of the row's own, with the data's links, to run in; null: the shared one.
  std::function<void(const CartellaProva&)> prepara = nullptr;
};

inline void ControllaRigheDiComando(const std::string& programma, const CartellaProva& cartella,
                                    const std::vector<RigaDiComando>& righe) {
  for (const auto& r : righe) {
    std::string riga;
    for (const auto& a : r.argomenti) riga += "'" + a + "' ";
    SCOPED_TRACE(programma + " " + riga);
    std::optional<CartellaProva> propria;
    if (r.prepara) r.prepara(propria.emplace("riga"));
    Processo p(programma, (propria ? *propria : cartella).percorso, r.argomenti, r.opzioni);
    p.ChiudiIngresso();
    EXPECT_EQ(p.Attendi(30s), r.codice << 8);
    EXPECT_EQ(p.Uscita().substr(0, r.uscita.size()), r.uscita);
    EXPECT_EQ(p.Uscita().empty(), r.uscita.empty());
    EXPECT_EQ(p.Errori().substr(0, r.errori.size()), r.errori);
    EXPECT_EQ(p.Errori().empty(), r.errori.empty());
  }
}

// The start of the answer to --version.
inline std::string Versione(const std::string& programma) {
  return programma + " 1.0.0\nCopyright (C) 2026 Gli autori di terne.\nLicenza MIT";
}

// One row of a fault table: a program started in a prepared folder with its standard input
// given and closed, perhaps held at a moment and acted on, then checked once it ended.
struct Guasto {
  const char* nome;
  std::function<void(const CartellaProva&)> prepara;  // may be null
  const char* ingresso;
  Opzioni opzioni;
  int codice;
  std::function<void(const Processo&, const CartellaProva&)> controlla;
  // With fermaDopo: what the test does while the program is held, before it goes on.
  std::function<void(Processo&, const CartellaProva&)> durante = nullptr;
  std::vector<std::string> cerca = {};  // terne-cerca with these arguments instead of terne
};

inline void ControllaGuasto(const Guasto& c) {
  SCOPED_TRACE(c.nome);
  CartellaProva cartella("guasti");
  if (c.prepara) c.prepara(cartella);
  Processo p(c.cerca.empty() ? TERNE_BIN : CERCA_BIN, cartella.percorso, c.cerca, c.opzioni);
  p.Scrivi(c.ingresso);
  p.ChiudiIngresso();
  if (c.durante) {
    ASSERT_TRUE(p.AttendiFermo());
    c.durante(p, cartella);
    p.Segnala(SIGCONT);
  }
  if (c.opzioni.chiudiUscitaDopo >= 0) p.ChiudiUscitaDopo(c.opzioni.chiudiUscitaDopo);
  const int stato = p.Attendi(60s);
  ASSERT_TRUE(stato >= 0 && WIFEXITED(stato)) << "stato " << stato;
  EXPECT_EQ(WEXITSTATUS(stato), c.codice);
  c.controlla(p, cartella);
}

}  // namespace e2e
