#include "results/terne.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <unordered_map>
#include <utility>

stringa testoDi(const numero& x) {
  const char* testo = x.testo();
  stringa copia(testo);
  numero::rilasciaTesto(testo);
  return copia;
}

namespace {

// "b,c,a" written into `testo`; returns its length. Every exact split passes here, most of
// them repeats, so no text is allocated before the repeat test.
int testoTerna(const numero& b, const numero& c, const numero& a,
               char (&testo)[3 * (numero::kCifreTesto + 1)]) {
  int lunghezza = 0;
  for (const numero* x : {&b, &c, &a}) {
    char cifre[numero::kCifreTesto + 1];
    const int quante = x->testoIn(cifre);
    for (int i = 0; i < quante; ++i) testo[lunghezza++] = cifre[i];
    testo[lunghezza++] = ',';
  }
  testo[--lunghezza] = '\0';
  return lunghezza;
}

// Beside the pending lists, their records by text: the repeat test looks the text up instead of
// walking the list, with the same answer. An entry names the list of its record by the address
// of the list's tail link, which the list's owner keeps for the life of the list.
struct Voce {
  _pTerne* record;
  _pTerne** lista;
};
using Indice = std::unordered_multimap<std::string_view, Voce>;

Indice& indice() {
  static Indice voci;
  return voci;
}

bool pendente(std::string_view testo, _pTerne** lista) {
  const auto [primo, ultimo] = indice().equal_range(testo);
  for (auto v = primo; v != ultimo; ++v) {
    if (v->second.lista == lista) return true;
  }
  return false;
}

// Drops a record from the index, before it is released.
void dimentica(_pTerne* record) {
  const auto [primo, ultimo] = indice().equal_range(std::string_view(record->terna.str));
  for (auto v = primo; v != ultimo; ++v) {
    if (v->second.record == record) {
      indice().erase(v);
      return;
    }
  }
}

}  // namespace

bool registraTerna(numero b, numero c, numero a, _pTerne** head, _pTerne** tail) {
  const numero cateto = a;
  if (b > c) std::swap(b, c);
  if (b > a) std::swap(b, a);
  if (c > a) std::swap(c, a);
  char testo[3 * (numero::kCifreTesto + 1)];
  const int lunghezza = testoTerna(b, c, a, testo);
  if (pendente(std::string_view(testo, lunghezza), tail)) return false;
  _pTerne* record = new _pTerne{stringa(testo), cateto};
  try {
    indice().emplace(std::string_view(record->terna.str), Voce{record, tail});
  } catch (...) {
    delete record;
    throw;
  }
  if (*head == nullptr) {
    *tail = record;
  } else {
    record->next = *head;
    (*head)->prev = record;
  }
  *head = record;
  return true;
}

bool ternaPresente(const stringa& terna, _pTerne* piuRecente) {
  for (_pTerne* r = piuRecente; r != nullptr; r = r->next) {
    if (r->terna == terna) return true;
  }
  return false;
}

void scriviTerne(_pTerne** tail, numero cateto, std::ostream& file) {
  const int soglia = cateto.intero() - 100;
  bool scritto = false;
  while (*tail != nullptr && (*tail)->cateto.intero() <= soglia) {
    _pTerne* r = *tail;
    file << r->terna.str << "\n";
    if (!file) break;
    *tail = r->prev;
    if (*tail != nullptr) (*tail)->next = nullptr;
    dimentica(r);
    delete r;
    scritto = true;
  }
  // Keeps the file on disk complete up to the records written, should the run be stopped.
  if (scritto) file.flush();
}

void rilasciaTerne(_pTerne* head) {
  while (head != nullptr) {
    _pTerne* piuVecchio = head->next;
    dimentica(head);
    delete head;
    head = piuVecchio;
  }
}

bool apriFileRisultati(const numero& M, const numero& N, stringa& nome, std::ofstream& file,
                       std::ostream& out) {
  nome = stringa("triadiRettangole");
  nome += testoDi(M);
  nome += stringa("-");
  nome += testoDi(N);
  nome += stringa(".txt");
  file.open(nome.caratteri(), std::ios::out | std::ios::trunc);
  if (file.is_open()) return true;
  out << "\n Il file " << nome.str
      << " non puo' essere creato. Controllare la cartella di lavoro e ripetere l'operazione. "
         "Inserire un carattere e premere invio per terminare... ";
  return false;
}

int salvaSulDisco(std::ofstream& file, const stringa& nome) {
  errno = 0;
  if (!file.flush()) return errno != 0 ? errno : EIO;
  // The stream does not show its descriptor; syncing another one of the same file is the same.
  const int fd = open(nome.str, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  int errore = (fsync(fd) == 0 || errno == EINVAL || errno == EROFS) ? 0 : errno;
  if (close(fd) != 0 && errore == 0) errore = errno;
  return errore;
}

int riportaA(const stringa& nome, long long byte) {
  struct stat stato;
  if (stat(nome.str, &stato) != 0 || !S_ISREG(stato.st_mode) || stato.st_size <= byte) return 0;
  return truncate(nome.str, static_cast<off_t>(byte)) == 0 ? 0 : errno;
}
