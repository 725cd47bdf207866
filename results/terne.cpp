#include "results/terne.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "sistema/motivi.h"
#include "sistema/nomi.h"

stringa testoDi(const numero& x) {
  const char* testo = x.testo();
  stringa copia(testo);
  numero::rilasciaTesto(testo);
  return copia;
}

namespace {

// "b,c,a" written into `testo`; returns its length. Every exact split passes here, many of
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

// The key of three numbers in normal form; false when one is not.
bool chiaveDi(const numero& x, const numero& y, const numero& z, ChiaveTerna& chiave) {
  if (!x.normaleNonNegativo() || !y.normaleNonNegativo() || !z.normaleNonNegativo()) return false;
  chiave = {x.a64(), y.a64(), z.a64()};
  return true;
}

// The key of a record's text "x,y,z" when its numbers are in normal form; false otherwise.
bool chiaveDelTesto(const char* testo, ChiaveTerna& chiave) {
  std::uint64_t n[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i, ++testo) {
    if (*testo < '0' || *testo > '9') return false;
    for (; *testo >= '0' && *testo <= '9'; ++testo) {
      n[i] = n[i] * 10 + static_cast<std::uint64_t>(*testo - '0');
      if (n[i] > numero::kMassimo64) return false;
    }
    if (*testo != (i < 2 ? ',' : '\0')) return false;
  }
  chiave = {n[0], n[1], n[2]};
  return true;
}

}  // namespace

TernePendenti::~TernePendenti() {
  while (head_ != nullptr) {
    _pTerne* piuVecchio = head_->next;
    delete head_;
    head_ = piuVecchio;
  }
}

bool registraTerna(numero b, numero c, numero a, TernePendenti& pendenti) {
  const numero cateto = a;
  if (b > c) std::swap(b, c);
  if (b > a) std::swap(b, a);
  if (c > a) std::swap(c, a);
  ChiaveTerna chiave;
  const bool indicizzata = chiaveDi(b, c, a, chiave);
  const bool perIndice = indicizzata && pendenti.fuoriNorma_ == 0;
  if (perIndice && pendenti.indice_.count(chiave) != 0) return false;
  char testo[3 * (numero::kCifreTesto + 1)];
  testoTerna(b, c, a, testo);
  if (!perIndice && ternaPresente(stringa(testo), pendenti.head_)) return false;
  _pTerne* record = new _pTerne{stringa(testo), cateto};
  try {
    if (indicizzata) pendenti.indice_.emplace(chiave, record);
  } catch (...) {
    delete record;
    throw;
  }
  if (!indicizzata) ++pendenti.fuoriNorma_;
  if (pendenti.head_ == nullptr) {
    pendenti.tail_ = record;
  } else {
    record->next = pendenti.head_;
    pendenti.head_->prev = record;
  }
  pendenti.head_ = record;
  ++pendenti.registrate_;
  return true;
}

bool ternaPresente(const stringa& terna, _pTerne* piuRecente) {
  for (_pTerne* r = piuRecente; r != nullptr; r = r->next) {
    if (r->terna == terna) return true;
  }
  return false;
}

bool scriviTerne(TernePendenti& pendenti, numero cateto, FileRisultati& file) {
  const int soglia = cateto.intero() - kFinestra;
  bool scritto = false;
  while (pendenti.tail_ != nullptr && pendenti.tail_->cateto.intero() <= soglia) {
    _pTerne* r = pendenti.tail_;
    pendenti.tail_ = r->prev;
    if (pendenti.tail_ != nullptr) {
      pendenti.tail_->next = nullptr;
    } else {
      pendenti.head_ = nullptr;
    }
    file.accoda(r->terna.str, static_cast<int>(std::strlen(r->terna.str)));
    file.accoda("\n", 1);
    ChiaveTerna chiave;
    auto voce = chiaveDelTesto(r->terna.str, chiave) ? pendenti.indice_.find(chiave)
                                                     : pendenti.indice_.end();
    if (voce != pendenti.indice_.end() && voce->second == r) {
      pendenti.indice_.erase(voce);
    } else {
      --pendenti.fuoriNorma_;
    }
    delete r;
    scritto = true;
  }
  // Each batch reaches the file at once, so a run stopped in any way keeps what it found.
  return scritto ? file.scriviLotto(soglia) : file.errore() == 0;
}

stringa nomeFileRisultati(const numero& M, const numero& N) {
  stringa nome("triadiRettangole");
  nome += testoDi(M);
  nome += stringa("-");
  nome += testoDi(N);
  nome += stringa(".txt");
  return nome;
}

std::string descriviContenuto(const char* nome, const numero& M, const numero& K) {
  const std::string file = "il file " + std::string(nome);
  if (K < M) return file + " non contiene nessuna terna";
  return file + " contiene tutte le terne trovate fino al cateto " + testoDi(K).str;
}

std::string codaNonTagliata(int erroreTaglio) {
  if (erroreTaglio == 0) return "";
  const std::string coda =
      "dopo di esse seguono terne dei cateti successivi, l'ultima forse su una riga incompleta";
  if (erroreTaglio < 0) return coda;
  return coda + " (toglierle non e' riuscito: " + motivoErrore(erroreTaglio) + ")";
}

bool apriFileRisultati(const stringa& nome, FileRisultati& file, std::ostream& out) {
  using Apertura = FileRisultati::Apertura;
  const Apertura esito = file.apri(nome.str);
  const std::string motivo = motivoErrore(errno);
  if (esito != Apertura::kNonConservato && !file.copia().empty()) {
    out << aCapo("Il file " + std::string(nome.str) + " c'era gia': e' stato conservato come " +
                 file.copia() + ".\n");
  }
  if (esito == Apertura::kAperto) return true;
  out << "\n Il file " << nome.str;
  if (esito == Apertura::kOccupato) {
    out << " e' gia' in scrittura da un'altra esecuzione di terne in questa cartella. Attendere "
           "che finisca e poi ripetere l'operazione.";
  } else {
    if (esito == Apertura::kNonConservato) {
      out << " c'era gia' e non puo' essere conservato come " << file.copia() << " (" << motivo
          << ").";
    } else {
      out << " non puo' essere creato (" << motivo << ").";
    }
    out << " Controllare la cartella di lavoro e ripetere l'operazione.";
  }
  out << " Inserire un carattere e premere invio per terminare... ";
  return false;
}
