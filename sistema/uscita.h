// Where an output that the user names goes, the same way in all four programs: as the shell and
// cp take a path.
//
// A symbolic link is followed, and the output goes where it leads; the link itself is never
// renamed or replaced. "-", /dev/stdout, /dev/stderr, /dev/fd/N and /proc/self/fd/N, and any
// name that leads to the very file of standard output or error, however it is spelled, are the
// descriptor of this process as it stands: a file opened with >> keeps what it held and gets the
// output appended, a pipe gets it; nothing is renamed, emptied or locked. A closed descriptor
// stays closed: writing there fails. Standard input is the program's input, never an output:
// /dev/stdin and /dev/fd/0 are refused, and a name that leads to its file is the file it is. A
// character device or a FIFO is opened and
// written in place (a FIFO waits for its reader, as a shell redirection does). A folder, a
// socket, or a path through a folder that does not exist, is refused.
//
// The tools write a regular file, or one that does not exist yet, safely: under a fresh name of
// its own in its folder (mkstemp), put on the disk and renamed over the target, the folder
// synced: the target holds either what it held before or the whole new content, even after a
// power cut, and two runs never share a temporary file.
#pragma once

#include <sys/stat.h>

#include <functional>
#include <ostream>
#include <string>

// Puts a placeholder on descriptors 0, 1 and 2 where they are closed, so that no file the
// program opens takes their number: a descriptor of a file of its own (an O_PATH descriptor of
// an emptied pipe), on which every read and write fails as on a closed one, with EBADF. The
// first thing every program does.
void apriDescrittoriStandard();

// Which standard descriptors descrittoreStandard looks at: bit fd for descriptor fd.
constexpr unsigned kUscitaEdErrori = 0b110;
constexpr unsigned kTuttiEtre = 0b111;
// The standard descriptor among `quali` (1, 2, then 0) that holds the file `stato` describes;
// -1 when none.
int descrittoreStandard(const struct stat& stato, unsigned quali = kTuttiEtre);

struct Uscita {
  enum class Tipo {
    kFile,         // a regular file, or a name that does not exist yet in an existing folder
    kDescrittore,  // a descriptor of this process, `fd`
    kSpeciale,     // a character device, a FIFO or a socket
  };
  Tipo tipo = Tipo::kFile;
  std::string percorso;  // where the name leads, its links followed; empty for a descriptor
  int fd = -1;
  bool esiste = false;   // a kFile that exists
  struct stat stato {};  // of what exists there
};

// Where `nome` leads. 0, or why it cannot be written: EISDIR for a folder, kSocket for a
// socket, ENOENT or ENOTDIR for a path through a folder that does not exist, ELOOP for a loop
// of links, EBADF for a descriptor that is closed, kSoloLettura for one open for reading only,
// flussoStandard(0) for standard input named as such.
int trovaUscita(const std::string& nome, Uscita& uscita);

// True when both describe the same file.
inline bool stessoFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The name `nome` shortened at its end so that, with `coda` after it, it fits the name limit of
// the folder `cartella`.
std::string nomeCheSta(const std::string& cartella, const std::string& nome,
                       const std::string& coda);

// Renames `nome` to the first free numbered name `nome`.~N~, N above every number in use, as cp
// --backup=numbered names its copies; nothing is ever replaced. `copia` becomes that name, or the
// one that failed. 0, or the errno of the failure.
int conservaConNumero(const std::string& nome, std::string& copia);

// What a tool's output may be.
struct RegoleScrittura {
  bool soloFileRegolari = false;           // anything but a regular file (or a new one) is refused
  const struct stat* daLeggere = nullptr;  // the tool's input: refused as its output
  bool permessiNuovi = false;              // a file that existed gets the umask's mode, not its own
};

// Writes `nome` with what `scrivi` puts on the stream, as above; a file that existed keeps its
// owner and group where the system allows it (as root), and its mode unless the rules say
// otherwise. Returns 0, or what failed: an errno value, or a reason of sistema/motivi.h
// (when only regular files will do, a standard descriptor's file is refused as such; a failed
// creation of the temporary file is kCreandoNellaCartella + its errno); EINTR when a stop
// signal came (see sistema/interruzione.h). After a failure a file that existed is left as it
// was and no temporary file remains; but for kSincronizzandoCartella + errno, a failed sync of
// the folder after the rename, which leaves the new content under the name.
int scriviFile(const std::string& nome, const std::function<void(std::ostream&)>& scrivi,
               const RegoleScrittura& regole = {});

// What a tool says of a failed scriviFile of `nome`: "impossibile scrivere NOME: PERCHE'", with
// where NOME leads when it is a symbolic link; or, after a failed sync of the folder, that NOME
// is written but its folder is not on the disk.
std::string scritturaNonRiuscita(const std::string& nome, int errore);
