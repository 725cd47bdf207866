#include "tools/scrittura.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <streambuf>

namespace {

namespace fs = std::filesystem;

// An output stream buffer on a descriptor that keeps the errno of its first failed write.
class BufferSuDescrittore : public std::streambuf {
 public:
  explicit BufferSuDescrittore(int fd) : fd_(fd) { setp(buffer_, buffer_ + sizeof buffer_); }
  int errore() const { return errore_; }

 protected:
  int_type overflow(int_type c) override {
    if (!svuota()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return svuota() ? 0 : -1; }

 private:
  bool svuota() {
    for (char* p = pbase(); errore_ == 0 && p < pptr();) {
      const ssize_t n = write(fd_, p, static_cast<size_t>(pptr() - p));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) errore_ = n < 0 ? errno : EIO;  // a write that takes nothing is a failure
      if (n > 0) p += n;
    }
    setp(buffer_, buffer_ + sizeof buffer_);
    return errore_ == 0;
  }

  int fd_;
  int errore_ = 0;
  char buffer_[1 << 16];
};

int scriviSu(int fd, const std::function<void(std::ostream&)>& scrivi) {
  BufferSuDescrittore buffer(fd);
  std::ostream os(&buffer);
  scrivi(os);
  os.flush();
  if (buffer.errore() != 0) return buffer.errore();
  return os ? 0 : EIO;
}

// Where a name leads: the name itself, or the end of its chain of symbolic links.
std::string destinazione(const std::string& nome) {
  fs::path d = nome;
  for (int salti = 0; salti < 40; ++salti) {
    struct stat stato;
    if (lstat(d.c_str(), &stato) != 0 || !S_ISLNK(stato.st_mode)) break;
    char bersaglio[PATH_MAX];
    const ssize_t n = readlink(d.c_str(), bersaglio, sizeof bersaglio - 1);
    if (n < 0) break;
    bersaglio[n] = '\0';
    d = d.parent_path() / bersaglio;  // an absolute target replaces the folder
  }
  return d.string();
}

// The permissions a new file gets from the user's umask.
mode_t permessiNuovi() {
  const mode_t maschera = umask(0);
  umask(maschera);
  return 0666 & ~maschera;
}

void sincronizzaCartella(const fs::path& cartella) {
  const int fd = open(cartella.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);  // the rename is already done: a folder that cannot be synced changes nothing
  close(fd);
}

}  // namespace

int scriviFile(const std::string& nome, const std::function<void(std::ostream&)>& scrivi) {
  if (nome == "-") return scriviSu(STDOUT_FILENO, scrivi);
  const fs::path bersaglio = destinazione(nome);
  struct stat stato;
  const bool esiste = stat(bersaglio.c_str(), &stato) == 0;
  if (esiste && S_ISDIR(stato.st_mode)) return EISDIR;
  if (esiste && !S_ISREG(stato.st_mode)) {
    const int fd = open(bersaglio.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    int errore = scriviSu(fd, scrivi);
    if (close(fd) != 0 && errore == 0) errore = errno;
    return errore;
  }
  const fs::path cartella = bersaglio.has_parent_path() ? bersaglio.parent_path() : ".";
  std::string nascosto(1, '.');
  nascosto += bersaglio.filename().string();
  nascosto += ".XXXXXX";
  std::string provvisorio = (cartella / nascosto).string();
  const int fd = mkostemp(provvisorio.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  int errore = fchmod(fd, esiste ? stato.st_mode & 07777 : permessiNuovi()) == 0 ? 0 : errno;
  if (errore == 0) errore = scriviSu(fd, scrivi);
  if (errore == 0 && fsync(fd) != 0) errore = errno;
  if (close(fd) != 0 && errore == 0) errore = errno;
  if (errore == 0 && rename(provvisorio.c_str(), bersaglio.c_str()) != 0) errore = errno;
  if (errore != 0) {
    unlink(provvisorio.c_str());
    return errore;
  }
  sincronizzaCartella(cartella);
  return 0;
}
