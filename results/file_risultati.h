// FileRisultati: the results file of one run, held by its descriptor from the open to the close.
//
// Records are gathered in a buffer and written one batch at a time; the sync and the cut-back
// after a failed write act on the descriptor, never on the file's name, which the user may
// move or reuse while the run goes on. A lock on the file keeps a second run of the same range
// in the same folder from writing it at the same time.
#pragma once

#include <sys/types.h>

// The system's reason for a failed open, write or sync, in the user's language.
const char* motivoErrore(int errore);

class FileRisultati {
 public:
  FileRisultati() = default;
  ~FileRisultati();  // closes the file, if still open, without reporting
  FileRisultati(const FileRisultati&) = delete;
  FileRisultati& operator=(const FileRisultati&) = delete;

  enum class Apertura {
    kAperto,       // locked and empty, ready for the run
    kOccupato,     // another run holds the lock: nothing was touched
    kImpossibile,  // it cannot be created or the earlier file cannot be kept; errno tells why
  };
  // Opens `nome` in the working folder for a new run. An earlier file of that name that is not
  // empty, and a symbolic link of that name whatever it leads to, are renamed to `nome` + "~"
  // (replacing an older one), and `conservato` becomes true; a link's target is never written.
  // Anything but a regular file or a link of that name is refused.
  Apertura apri(const char* nome, bool& conservato);
  // Writes to a descriptor opened by someone else (standard output): no lock, nothing renamed
  // or emptied, never cut back. The descriptor stays open.
  void usa(int fd);

  // Adds text to the batch in progress.
  void accoda(const char* testo, int lunghezza);
  // Writes the batch. False when the file refuses it, then and for good: the file is cut back
  // to the batches written before, and nothing more is written.
  bool scriviLotto();
  // Has the system put the file on the disk. 0, or the errno of the failure; a file that cannot
  // be synced (a device, a read-only file system) counts as saved.
  int sincronizza();
  // Closes the file. 0, or the errno of the failure.
  int chiudi();

  int errore() const { return errore_; }              // of the refused write, 0 while none
  int erroreTaglio() const { return erroreTaglio_; }  // of a cut-back that failed, 0 otherwise
  off_t lunghezza() const { return lunghezza_; }      // bytes of the whole batches written

 private:
  bool svuotaBuffer();
  void rifiuta(int errore);

  static constexpr int kBuffer = 1 << 16;
  int fd_ = -1;
  bool proprio_ = false;  // opened here: closed and, after a failed write, cut back here
  int errore_ = 0;
  int erroreTaglio_ = 0;
  off_t scritti_ = 0;    // bytes the system took
  off_t lunghezza_ = 0;  // of them, those of whole batches
  int usati_ = 0;
  char buffer_[kBuffer];
};
