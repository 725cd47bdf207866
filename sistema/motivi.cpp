#include "sistema/motivi.h"

#include <cerrno>

namespace {

struct Motivo {
  int errore;
  const char* testo;
};

constexpr Motivo kMotivi[] = {
    {kNonUnFile, "non e' un file regolare"},
    {kStessoFile, "e' il file che si sta leggendo"},
    {ENOENT, "file o cartella inesistente"},
    {ENOTDIR, "una parte del percorso non e' una cartella"},
    {EISDIR, "e' una cartella"},
    {EACCES, "permesso negato"},
    {EPERM, "operazione non permessa"},
    {EROFS, "disco in sola lettura"},
    {ENOSPC, "spazio esaurito sul disco"},
    {EDQUOT, "quota del disco esaurita"},
    {EIO, "errore di lettura o scrittura sul dispositivo"},
    {EFBIG, "file troppo grande"},
    {EEXIST, "esiste gia'"},
    {ENAMETOOLONG, "nome troppo lungo"},
    {ELOOP, "troppi collegamenti simbolici di seguito"},
    {EMFILE, "troppi file aperti"},
    {ENFILE, "troppi file aperti nel sistema"},
    {ENOMEM, "memoria insufficiente"},
    {EPIPE, "chi leggeva ha chiuso il canale"},
    {EBADF, "descrittore non aperto"},
    {EINVAL, "operazione non valida per questo file"},
    {ENXIO, "nessun dispositivo o nessun lettore all'altro capo"},
    {EAGAIN, "risorsa momentaneamente non disponibile"},
    {EBUSY, "risorsa occupata"},
    {ETXTBSY, "file in uso da un programma"},
    {EINTR, "interrotto da un segnale"},
    {EXDEV, "su un altro file system"},
    {ENODEV, "dispositivo inesistente"},
    {EOPNOTSUPP, "operazione non supportata"},
    {ESTALE, "file remoto non piu' valido"},
    {ENOTEMPTY, "cartella non vuota"},
    {EMLINK, "troppi collegamenti"},
    {ESPIPE, "il file non si puo' riposizionare"},
    {ECONNRESET, "connessione chiusa dall'altro capo"},
    {ETIMEDOUT, "tempo scaduto"},
};

}  // namespace

std::string motivoErrore(int errore) {
  for (const Motivo& m : kMotivi) {
    if (m.errore == errore) return m.testo;
  }
  return "errore di sistema numero " + std::to_string(errore);
}
