// Preloaded into the programs by the tests of a failing disk and of a run stopped at a chosen
// moment. The output watched is the descriptor whose file name begins with TERNE_PREFISSO
// ("triadiRettangole" unless set), or with a dot and that prefix (a tool's temporary file).
//   TERNE_LIMITE_SCRITTURA=B   the file takes B bytes, then every write fails with ENOSPC, as on
//                              a disk that fills; with TERNE_SCRITTURA_NULLA=1 such a write
//                              returns 0 instead, without an error number
//   TERNE_FERMA_DOPO=B         once the file holds B bytes the program stops itself (SIGSTOP)
//                              after that write, so a test can act while the run is held
//   TERNE_FSYNC_GUASTO=1       syncing the file fails with EIO; =EINVAL: as on a file that
//                              cannot be synced
//   TERNE_TAGLIO_GUASTO=1      cutting the file back (ftruncate) fails with EIO
// The writing calls on the output (write, fsync, ftruncate, close, and rename of it) are counted:
//   TERNE_CHIAMATA=K           at the K-th of them (from 1), TERNE_AZIONE acts: SIGINT, SIGTERM,
//                              SIGHUP or SIGSTOP is raised just before the call, which then goes
//                              on; ENOSPC, EIO, EFBIG or EDQUOT makes the call fail with it
//   TERNE_LETTURA=K            at the K-th read of the output, TERNE_AZIONE raises its signal
//                              just before the call, which then goes on
//   TERNE_CONTEGGIO=FILE       at the program's normal end, their number and the number of reads
//                              are written to FILE
//   TERNE_SPOSTA_AL_BLOCCO=N   the first time the program locks the output, the file is renamed
//                              to N in its folder just before, as another run could do
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

long scritti = 0;
bool fermato = false;
long chiamate = 0;
long letture = 0;

bool nomeOsservato(const char* percorso) {
  const char* prefisso = std::getenv("TERNE_PREFISSO");
  if (prefisso == nullptr) prefisso = "triadiRettangole";
  const char* nome = std::strrchr(percorso, '/');
  nome = nome != nullptr ? nome + 1 : percorso;
  if (*nome == '.') ++nome;
  return std::strncmp(nome, prefisso, std::strlen(prefisso)) == 0;
}

bool osservato(int fd) {
  char collegamento[64];
  char percorso[4096];
  snprintf(collegamento, sizeof collegamento, "/proc/self/fd/%d", fd);
  const ssize_t n = readlink(collegamento, percorso, sizeof percorso - 1);
  if (n <= 0) return false;
  percorso[n] = '\0';
  return nomeOsservato(percorso);
}

long variabile(const char* nome) {
  const char* valore = std::getenv(nome);
  return valore != nullptr ? std::atol(valore) : -1;
}

template <typename F>
F vera(const char* nome) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, nome));
}

// Counts one writing call on the output, or one read; false, with errno set, when it is to fail.
bool conta(bool lettura = false) {
  const long n = lettura ? ++letture : ++chiamate;
  if (n != variabile(lettura ? "TERNE_LETTURA" : "TERNE_CHIAMATA")) return true;
  const char* azione = std::getenv("TERNE_AZIONE");
  if (azione == nullptr) return true;
  const struct {
    const char* nome;
    int segnale;
    int errore;
  } azioni[] = {{"SIGINT", SIGINT, 0},   {"SIGTERM", SIGTERM, 0}, {"SIGHUP", SIGHUP, 0},
                {"SIGSTOP", SIGSTOP, 0}, {"ENOSPC", 0, ENOSPC},   {"EIO", 0, EIO},
                {"EFBIG", 0, EFBIG},     {"EDQUOT", 0, EDQUOT}};
  for (const auto& a : azioni) {
    if (std::strcmp(azione, a.nome) != 0) continue;
    if (a.segnale != 0) raise(a.segnale);
    errno = a.errore;
    return a.errore == 0;
  }
  return true;
}

__attribute__((destructor)) void scriviConteggio() {
  const char* file = std::getenv("TERNE_CONTEGGIO");
  if (file == nullptr) return;
  const int fd = open(file, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  char testo[32];
  const int n = snprintf(testo, sizeof testo, "%ld %ld\n", chiamate, letture);
  if (fd >= 0 && vera<ssize_t (*)(int, const void*, size_t)>("write")(fd, testo, n) == n) {
    close(fd);
  }
}

ssize_t scriviLimitato(int fd, const void* dati, size_t quanti) {
  static const auto scrivi = vera<ssize_t (*)(int, const void*, size_t)>("write");
  if (!osservato(fd)) return scrivi(fd, dati, quanti);
  if (!conta()) return -1;
  const long limite = variabile("TERNE_LIMITE_SCRITTURA");
  if (limite >= 0) {
    const long spazio = limite - scritti;
    if (spazio <= 0) {
      if (variabile("TERNE_SCRITTURA_NULLA") == 1) return 0;
      errno = ENOSPC;
      return -1;
    }
    if (quanti > static_cast<size_t>(spazio)) quanti = static_cast<size_t>(spazio);
  }
  const ssize_t fatti = scrivi(fd, dati, quanti);
  if (fatti > 0) scritti += fatti;
  const long ferma = variabile("TERNE_FERMA_DOPO");
  if (!fermato && ferma >= 0 && scritti >= ferma) {
    fermato = true;
    raise(SIGSTOP);
  }
  return fatti;
}

}  // namespace

extern "C" int flock(int fd, int operazione) {
  static const auto blocca = vera<int (*)(int, int)>("flock");
  static bool spostato = false;
  const char* nuovo = std::getenv("TERNE_SPOSTA_AL_BLOCCO");
  if (nuovo != nullptr && !spostato && osservato(fd)) {
    spostato = true;
    char collegamento[64];
    char percorso[4096];
    snprintf(collegamento, sizeof collegamento, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(collegamento, percorso, sizeof percorso - 1);
    if (n > 0) {
      percorso[n] = '\0';
      std::string destinazione = percorso;
      destinazione = destinazione.substr(0, destinazione.rfind('/') + 1) + nuovo;
      vera<int (*)(const char*, const char*)>("rename")(percorso, destinazione.c_str());
    }
  }
  return blocca(fd, operazione);
}

extern "C" ssize_t write(int fd, const void* dati, size_t quanti) {
  return scriviLimitato(fd, dati, quanti);
}

extern "C" ssize_t writev(int fd, const struct iovec* pezzi, int conta) {
  ssize_t totale = 0;
  for (int i = 0; i < conta; ++i) {
    const ssize_t fatti = scriviLimitato(fd, pezzi[i].iov_base, pezzi[i].iov_len);
    if (fatti < 0) return totale > 0 ? totale : -1;
    totale += fatti;
    if (static_cast<size_t>(fatti) < pezzi[i].iov_len) break;
  }
  return totale;
}

extern "C" int fsync(int fd) {
  static const auto sincronizza = vera<int (*)(int)>("fsync");
  if (!osservato(fd)) return sincronizza(fd);
  if (!conta()) return -1;
  const char* guasto = std::getenv("TERNE_FSYNC_GUASTO");
  if (guasto == nullptr) return sincronizza(fd);
  errno = std::strcmp(guasto, "EINVAL") == 0 ? EINVAL : EIO;
  return -1;
}

extern "C" int ftruncate(int fd, off_t lunghezza) {
  static const auto taglia = vera<int (*)(int, off_t)>("ftruncate");
  if (osservato(fd) && !conta()) return -1;
  if (osservato(fd) && variabile("TERNE_TAGLIO_GUASTO") == 1) {
    errno = EIO;
    return -1;
  }
  return taglia(fd, lunghezza);
}

extern "C" ssize_t read(int fd, void* dati, size_t quanti) {
  static const auto leggi = vera<ssize_t (*)(int, void*, size_t)>("read");
  if (osservato(fd)) conta(true);
  return leggi(fd, dati, quanti);
}

extern "C" int close(int fd) {
  static const auto chiudi = vera<int (*)(int)>("close");
  if (osservato(fd) && !conta()) {
    chiudi(fd);  // a failed close still releases the descriptor
    return -1;
  }
  return chiudi(fd);
}

extern "C" int rename(const char* da, const char* a) {
  static const auto rinomina = vera<int (*)(const char*, const char*)>("rename");
  if (nomeOsservato(da) && !conta()) return -1;
  return rinomina(da, a);
}
