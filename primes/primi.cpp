#include "primes/primi.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <vector>

#include "sistema/ingresso.h"
#include "sistema/interruzione.h"
#include "sistema/motivi.h"
#include "sistema/nomi.h"

namespace {

constexpr int kPezzo = 1999;  // characters of a line read at once

// Reads one piece of a line into riga: up to kPezzo characters, consuming the newline that
// ends it; a longer line leaves its remainder for the next piece.
void leggiPezzo(std::istream& file, char (&riga)[kPezzo + 1]) {
  int lunghezza = 0;
  bool aCapo = false;
  char c = 0;
  while (lunghezza < kPezzo && file.get(c)) {
    if (c == '\n') {
      aCapo = true;
      break;
    }
    riga[lunghezza++] = c;
  }
  if (!aCapo && lunghezza == kPezzo && file.peek() == '\n') aCapo = file.get(c).good();
  const bool fineRiga = aCapo || file.eof();
  if (fineRiga && lunghezza > 0 && riga[lunghezza - 1] == '\r') --lunghezza;
  riga[lunghezza] = '\0';
}

}  // namespace

namespace {

// Reads the field that starts at p into *destinazione and returns where the next one starts
// (past its TAB); null, with *destinazione -1, when no field starts at p (the end of the line).
const char* campoDa(const char* p, numero* destinazione) {
  *destinazione = -1;
  if (*p == '\0') return nullptr;
  *destinazione = 0;
  for (; *p != '\t' && *p != '\0'; ++p) {
    accodaCifra(*destinazione, (*p >= '0' && *p <= '9') ? *p - '0' : 0);
  }
  return *p == '\t' ? p + 1 : p;
}

}  // namespace

void leggiCampo(const char* riga, numero* destinazione, int k) {
  *destinazione = -1;
  for (int salti = 0; salti < k; ++salti) {
    while (*riga != '\t' && *riga != '\0') ++riga;
    if (*riga == '\t') ++riga;
  }
  campoDa(riga, destinazione);
}

namespace {

// Marks the composite numbers below `fine`; empty when a stop signal cut it short, which is
// asked before each prime's pass.
std::vector<bool> setaccio(std::uint64_t fine) {
  std::vector<bool> composto(fine, false);
  for (std::uint64_t i = 2; i * i < fine; ++i) {
    if (composto[i]) continue;
    if (interruzioneRichiesta()) return {};
    for (std::uint64_t m = i * i; m < fine; m += i) composto[m] = true;
  }
  return composto;
}

}  // namespace

int caricaPrimi(const char* nomeFile, numero limite, _myElement* primo, int* motivo) {
  Ingresso ingresso(nomeFile, true);
  if (ingresso.errore() != 0) {
    if (motivo != nullptr) *motivo = ingresso.errore();
    return ingresso.errore() == ENOENT ? -1 : -2;
  }
  std::istream& file = ingresso.flusso();
  numero valore(0);
  _myElement* corrente = primo;
  char riga[kPezzo + 1];
  while (!file.eof() && valore < limite) {
    leggiPezzo(file, riga);
    if (file.bad()) {  // a read error (a failing disk)
      if (motivo != nullptr) *motivo = ingresso.erroreLettura();
      return -2;
    }
    // The fields in turn, as leggiCampo gives them for k = 0, 1, … without walking the line again.
    for (const char* campo = campoDa(riga, &valore); campo != nullptr;
         campo = campoDa(campo, &valore)) {
      if (valore == numero(0)) continue;  // no entry: a node for it would only cost memory
      corrente->value = valore;
      if (!(valore < limite)) {
        corrente->next = nullptr;
        break;
      }
      corrente->next = new _myElement;
      corrente = corrente->next;
    }
  }
  return valore < limite ? 0 : 1;
}

bool soloPrimi(const _myElement* primo) {
  std::vector<bool> composto;  // the sieve, up to its size
  std::uint64_t atteso = 2;    // the prime the next value must be
  for (std::uint64_t passi = 1; primo != nullptr; primo = primo->next, ++passi) {
    // A stop cuts a long check short; asked now and then, as the flag costs a load.
    if (passi % 65536 == 0 && interruzioneRichiesta()) return false;
    const numero& v = primo->value;
    if (v == numero(0)) continue;
    if (!v.normaleNonNegativo() || v.a64() != atteso) return false;
    // The next prime, the sieve doubled as often as it takes: it never goes beyond twice the
    // largest value that matched.
    do {
      ++atteso;
      if (atteso >= composto.size()) {
        composto = setaccio(2 * atteso);
        if (composto.empty()) return false;  // a stop cut the sieve short
      }
    } while (composto[atteso]);
  }
  return true;
}

bool caricaFasePrimi(const numero& N, _myElement*& primi, std::ostream& out, std::ostream& err) {
  const numero limite(N.intero() + 1);
  primi = new _myElement;
  int motivo = 0;
  const int esito = caricaPrimi("numeriPrimi.txt", limite, primi, &motivo);
  const bool danneggiato = esito >= 0 && !soloPrimi(primi);
  if (esito == 1 && !danneggiato) return true;
  err << aCapo("terne: " + comePreparare("numeriPrimi.txt", esito == -1 ? ENOENT : motivo) + "\n");
  if (esito == -1) {
    out << "\n Il file numeriPrimi.txt non e'  stato trovato. Creare prima il file "
           "numeriPrimi.txt. Inserire un carattere e premere invio per terminare... ";
  } else if (esito == -2) {
    out << "\n Il file numeriPrimi.txt non puo' essere letto (" << motivoErrore(motivo)
        << "). Creare di nuovo il file numeriPrimi.txt. Inserire un carattere e premere invio "
           "per terminare... ";
  } else if (danneggiato) {
    out << "\n Il file numeriPrimi.txt e' danneggiato: non contiene i numeri primi in ordine. "
           "Prepararlo di nuovo con terne-prepara e poi ripetere l'operazione. Inserire un "
           "carattere e premere invio per terminare... ";
  } else {
    // terne-prepara writes the primes up to the largest leg terne takes: enough for any run.
    out << "Nel file numeriPrimi.txt non ci sono abbastanza numeri primi per calcolare i fattori "
           "di "
        << N
        << ". \n Calcolare piu' numeri primi e poi ripetere l'operazione. \n Inserire un "
           "carattere e premere invio per terminare... ";
  }
  return false;
}

namespace {

// True when the table entry divides x. Entries below 2 (empty fields, 1) never do: they would
// divide by zero or match without end. Operands in normal form are divided in 64 bits, which
// gives numero's remainder.
bool divide(const numero& voce, const numero& x) {
  if (voce < numero(2)) return false;
  if (voce.normaleNonNegativo() && x.normaleNonNegativo()) {
    return x.a64() % voce.a64() == 0;
  }
  numero resto;
  x.dividi(voce, resto);
  return resto.intero() == 0;
}

// The first entry from p on that divides x, null when none does. The squares of the legs fit 32
// bits, and so do the entries that can divide them: those are divided in 32 bits, the quickest.
_myElement* primoDivisore(_myElement* p, const numero& x) {
  const std::uint64_t x64 = x.normaleNonNegativo() ? x.a64() : ~std::uint64_t{0};
  if (x64 <= UINT32_MAX) {
    const auto x32 = static_cast<std::uint32_t>(x64);
    for (; p != nullptr; p = p->next) {
      const numero& voce = p->value;
      if (voce.alta == 0 && voce.bassa >= 2 && voce.bassa < numero::kBase) {
        if (x32 % static_cast<std::uint32_t>(voce.bassa) == 0) return p;
      } else if (divide(voce, x)) {
        return p;
      }
    }
    return nullptr;
  }
  while (p != nullptr && !divide(p->value, x)) p = p->next;
  return p;
}

}  // namespace

int fattorizza(numero x, _myElement* tabella, _myElement** testa) {
  if (x < numero(1)) return 0;  // every entry would divide zero without end
  _myElement* ultimo = *testa;
  while (ultimo != nullptr && ultimo->next != nullptr) ultimo = ultimo->next;
  auto accoda = [&](const numero& fattore) {
    _myElement* nodo = new _myElement;
    nodo->value = fattore;
    (ultimo == nullptr ? *testa : ultimo->next) = nodo;
    ultimo = nodo;
  };
  // Each factor is searched for from the entry that gave the one before: an entry that does not
  // divide x divides none of its quotients, so a search from the first entry finds the same.
  // No entry divides 1, so the search ends there without a walk of the whole table.
  numero resto;
  for (_myElement* p = tabella; !(x == numero(1));) {
    p = primoDivisore(p, x);
    if (p == nullptr) break;
    accoda(p->value);
    x = x.dividi(p->value, resto);
  }
  if (x.intero() != 1) accoda(x);  // a rest that no entry divides
  return 0;
}

void fattorizzaQuadrato(int a, _myElement* tabella, _myElement** testa) {
  _myElement* ultimo = *testa;
  while (ultimo != nullptr && ultimo->next != nullptr) ultimo = ultimo->next;
  auto accodaDueVolte = [&](const numero& fattore) {
    for (int volta = 0; volta < 2; ++volta) {
      _myElement* nodo = new _myElement;
      nodo->value = fattore;
      (ultimo == nullptr ? *testa : ultimo->next) = nodo;
      ultimo = nodo;
    }
  };
  auto x = static_cast<std::uint32_t>(a);
  for (_myElement* p = tabella; p != nullptr && x > 1; p = p->next) {
    const auto primo = static_cast<std::uint32_t>(p->value.bassa);
    if (p->value.alta != 0 || primo < 2) continue;  // fields that read as 0
    if (std::uint64_t{primo} * primo > x) break;
    for (; x % primo == 0; x /= primo) accodaDueVolte(p->value);
  }
  if (x > 1) accodaDueVolte(numero(static_cast<int>(x)));
}

int contaElementi(_myElement* primo) {
  int conto = 0;
  for (; primo != nullptr; primo = primo->next) ++conto;
  return conto;
}

VistaFattori::VistaFattori(_myElement* fattori) {
  for (; fattori != nullptr && quanti < kMassimo; fattori = fattori->next) {
    const numero& f = fattori->value;
    valori[quanti++] = f.a64();
  }
}

std::uint32_t VistaFattori::confini() const {
  std::uint32_t confini = 0;
  for (int i = 0; i + 1 < quanti; ++i) {
    if (valori[i] != valori[i + 1]) confini |= std::uint32_t{1} << i;
  }
  return confini;
}

numero prodottoScelti(numero* destinazione, std::uint32_t posizioni, const VistaFattori& fattori) {
  std::uint64_t p = 1;
  for (int i = 0; i < fattori.quanti; ++i) {
    if ((posizioni & (std::uint32_t{1} << i)) != 0) p *= fattori.valori[i];
  }
  *destinazione = numero::da64(p);
  return *destinazione;
}

numero prodottoComplemento(numero* destinazione, std::uint32_t posizioni,
                           const VistaFattori& fattori) {
  std::uint64_t p = 1;
  for (int i = 0; i < fattori.quanti; ++i) {
    if ((posizioni & (std::uint32_t{1} << i)) == 0) p *= fattori.valori[i];
  }
  *destinazione = numero::da64(p);
  return *destinazione;
}

numero prodotto(numero* destinazione, _myElement* combinazione, _myElement* fattori) {
  numero p(1);
  // Positions rise along a stored combination: walk on from the factor reached last, and start
  // again from the first factor only where a position goes back.
  _myElement* fattore = fattori;
  int raggiunta = 0;
  for (_myElement* e = combinazione; e != nullptr; e = e->nextElement) {
    const int posizione = e->value.intero();
    if (posizione < raggiunta) {
      fattore = fattori;
      raggiunta = 0;
    }
    for (; raggiunta < posizione; ++raggiunta) fattore = fattore->next;
    p = p * fattore->value;
  }
  *destinazione = p;
  return p;
}
