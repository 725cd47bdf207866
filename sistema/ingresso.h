// Reading an input file through its descriptor. An input that must be a regular file is opened
// without ever waiting: a FIFO with no writer, or a device, cannot hold the program at the open.
#pragma once

#include <sys/stat.h>

#include <istream>
#include <streambuf>

// An input stream buffer on a descriptor. A read error throws std::ios_base::failure, as the
// file streams' buffer does, so that the stream reading it turns bad; so does a stop signal
// (sistema/interruzione.h), as a read that failed with EINTR. A regular file can be read
// again from a position (seekg).
class BufferDiLettura : public std::streambuf {
 public:
  explicit BufferDiLettura(int fd) : fd_(fd) {}
  int errore() const { return errore_; }  // of the read that failed, 0 while none did

 protected:
  int_type underflow() override;
  pos_type seekpos(pos_type posizione, std::ios_base::openmode modo) override;
  pos_type seekoff(off_type scarto, std::ios_base::seekdir da,
                   std::ios_base::openmode modo) override;

 private:
  int fd_;
  int errore_ = 0;
  char buffer_[1 << 16];
};

// An input file and the stream that reads it.
class Ingresso {
 public:
  // Opens `nome`. A folder is refused with EISDIR, a symbolic link to nothing with
  // kCollegamentoRotto; so is anything but a regular file with kNonUnFile (sistema/motivi.h)
  // when `soloFileRegolari`, otherwise a FIFO or a device is read as it comes: the open of a FIFO
  // waits for its writer, as cat's does.
  Ingresso(const char* nome, bool soloFileRegolari);
  // Reads a descriptor opened by someone else (standard input), which stays open.
  explicit Ingresso(int fd);
  ~Ingresso();
  Ingresso(const Ingresso&) = delete;
  Ingresso& operator=(const Ingresso&) = delete;

  // 0 when the file is open, otherwise why not: an errno value or kNonUnFile.
  int errore() const { return errore_; }
  // The file's status, as fstat gives it. REQUIRES: errore() == 0.
  const struct stat& stato() const { return stato_; }
  std::istream& flusso() { return flusso_; }
  // The errno of a read that failed, 0 while none did.
  int erroreLettura() const { return buffer_.errore(); }

 private:
  int fd_;
  int errore_;  // of the open, taken before anything else can change errno
  bool proprio_;
  struct stat stato_ {};
  BufferDiLettura buffer_{fd_};
  std::istream flusso_{&buffer_};
};
