// Preloaded into terne by the tests of a failing disk; the results file is the descriptor whose
// file name begins with "triadiRettangole".
//   TERNE_LIMITE_SCRITTURA=B   the file takes B bytes, then every write fails with ENOSPC, as on
//                              a disk that fills; with TERNE_SCRITTURA_NULLA=1 such a write
//                              returns 0 instead, without an error number
//   TERNE_FERMA_DOPO=B         once the file holds B bytes the program stops itself (SIGSTOP)
//                              after that write, so a test can act while the run is held
//   TERNE_FSYNC_GUASTO=1       syncing the file fails with EIO; =EINVAL: as on a file that
//                              cannot be synced
#include <dlfcn.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using Scrittura = ssize_t (*)(int, const void*, size_t);

long scritti = 0;
bool fermato = false;

bool fileRisultati(int fd) {
  char collegamento[64];
  char percorso[4096];
  snprintf(collegamento, sizeof collegamento, "/proc/self/fd/%d", fd);
  const ssize_t n = readlink(collegamento, percorso, sizeof percorso - 1);
  if (n <= 0) return false;
  percorso[n] = '\0';
  const char* nome = std::strrchr(percorso, '/');
  return std::strncmp(nome != nullptr ? nome + 1 : percorso, "triadiRettangole", 16) == 0;
}

long variabile(const char* nome) {
  const char* valore = std::getenv(nome);
  return valore != nullptr ? std::atol(valore) : -1;
}

ssize_t scriviLimitato(int fd, const void* dati, size_t quanti) {
  static const Scrittura vera = reinterpret_cast<Scrittura>(dlsym(RTLD_NEXT, "write"));
  if (!fileRisultati(fd)) return vera(fd, dati, quanti);
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
  const ssize_t fatti = vera(fd, dati, quanti);
  if (fatti > 0) scritti += fatti;
  const long ferma = variabile("TERNE_FERMA_DOPO");
  if (!fermato && ferma >= 0 && scritti >= ferma) {
    fermato = true;
    raise(SIGSTOP);
  }
  return fatti;
}

}  // namespace

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
  using Sincronizza = int (*)(int);
  static const Sincronizza vera = reinterpret_cast<Sincronizza>(dlsym(RTLD_NEXT, "fsync"));
  const char* guasto = std::getenv("TERNE_FSYNC_GUASTO");
  if (guasto == nullptr || !fileRisultati(fd)) return vera(fd);
  errno = std::strcmp(guasto, "EINVAL") == 0 ? EINVAL : EIO;
  return -1;
}
