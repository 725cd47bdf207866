// Preloaded into terne by the tests of a failing disk. With TERNE_LIMITE_SCRITTURA the results
// file takes that many bytes, then every write to it fails with ENOSPC, as on a disk that fills;
// with TERNE_FSYNC_GUASTO syncing it fails with EIO.
#include <dlfcn.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using Scrittura = ssize_t (*)(int, const void*, size_t);

long scritti = 0;

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

ssize_t scriviLimitato(int fd, const void* dati, size_t quanti) {
  static const Scrittura vera = reinterpret_cast<Scrittura>(dlsym(RTLD_NEXT, "write"));
  const char* limite = std::getenv("TERNE_LIMITE_SCRITTURA");
  if (limite == nullptr || !fileRisultati(fd)) return vera(fd, dati, quanti);
  const long spazio = std::atol(limite) - scritti;
  if (spazio <= 0) {
    errno = ENOSPC;
    return -1;
  }
  if (quanti > static_cast<size_t>(spazio)) quanti = static_cast<size_t>(spazio);
  const ssize_t fatti = vera(fd, dati, quanti);
  if (fatti > 0) scritti += fatti;
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
  if (std::getenv("TERNE_FSYNC_GUASTO") == nullptr || !fileRisultati(fd)) return vera(fd);
  errno = EIO;
  return -1;
}
