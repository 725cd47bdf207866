#include "combinatorial/combinatorial.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <streambuf>

namespace {

// Counts above this cannot come from a real table and would ask for a huge head array.
constexpr int kConteggioMassimo = 10000;

// Consumes a line up to and including its newline, taking at most 199 characters before it.
void scartaRiga(std::istream& s) {
  char c = 0;
  for (int presi = 0; presi < 199; ++presi) {
    if (!s.get(c) || c == '\n') return;
  }
  if (s.peek() == '\n') s.get(c);
}

void rilasciaSizeList(_myElement* primo) {
  while (primo != nullptr) {
    _myElement* seguente = primo->next;
    rilasciaCombinazione(primo);
    primo = seguente;
  }
}

_myElement* ultimoPer(_myElement* primo, _myElement* _myElement::*legame) {
  while (primo != nullptr && primo->*legame != nullptr) primo = primo->*legame;
  return primo;
}

// The state of one body line being read: where the next node goes.
struct Lettura {
  _myElement** testa;        // the size list's entry in the head array
  _myElement* combinazione;  // first node of the current combination
  _myElement* ultimo;        // last element of the current combination
  bool nuovaCombinazione;
};

void accodaNodo(Lettura& l, _myElement* nodo) {
  if (*l.testa == nullptr) {
    *l.testa = nodo;
    l.combinazione = nodo;
  } else if (l.nuovaCombinazione) {
    l.combinazione->next = nodo;
    l.combinazione = nodo;
  } else {
    l.ultimo->nextElement = nodo;
  }
  l.ultimo = nodo;
}

// A stream buffer's get area read in place, so that a body line is scanned as a plain array
// rather than with a call per character. Naming the protected members through this derived
// class is what lets a pointer to them be taken.
struct AreaDiLettura : std::streambuf {
  static char* primo(std::streambuf* b) { return (b->*&AreaDiLettura::gptr)(); }
  static char* ultimo(std::streambuf* b) { return (b->*&AreaDiLettura::egptr)(); }
  static void consuma(std::streambuf* b, std::ptrdiff_t n) {
    (b->*&AreaDiLettura::gbump)(static_cast<int>(n));
  }
};

// Reads one body line into the size list of `l`, up to and including its newline.
//
// An element's value is its text read as by numero's text constructor: each of its first
// numero::kCaratteriTesto characters one decimal position, a non-digit worth 0. It is accumulated
// as the characters arrive, which gives the same value as collecting the text first. Blanks,
// carriage returns and NUL bytes (which never reach a NUL-terminated text) are not part of it.
void leggiCorpo(std::istream& s, Lettura& l) {
  std::uint64_t valore = 0;
  int caratteri = 0;  // characters of the element's text
  int presi = 0;      // characters taken since the element began, dropped ones included
  auto chiudiElemento = [&] {
    _myElement* nodo = new _myElement;
    nodo->value = numero::da64(valore);
    accodaNodo(l, nodo);
    valore = 0;
    caratteri = 0;
    presi = 0;
  };
  // One character; true when it ends the line.
  auto tratta = [&](int c) {
    if (c != '.' && c != ',' && c != '\n') {
      if (c != ' ' && c != '\r' && c != '\0' && caratteri++ < numero::kCaratteriTesto) {
        accodaCifra(valore, (c >= '0' && c <= '9') ? c - '0' : 0);
      }
      ++presi;
      return false;
    }
    chiudiElemento();
    l.nuovaCombinazione = c == ',';
    return c == '\n';
  };
  std::streambuf* sorgente = s.rdbuf();
  while (true) {
    char* const inizio = AreaDiLettura::primo(sorgente);
    char* const fine = AreaDiLettura::ultimo(sorgente);
    if (inizio == fine) {  // refills the area, or takes one character from an unbuffered source
      const int c = sorgente->sbumpc();
      if (c != std::char_traits<char>::eof()) {
        if (tratta(c)) return;
        continue;
      }
      s.setstate(std::ios::eofbit | std::ios::failbit);
      if (presi > 0) chiudiElemento();
      return;
    }
    char* p = inizio;
    bool fineRiga = false;
    while (p < fine && !fineRiga) fineRiga = tratta(static_cast<unsigned char>(*p++));
    AreaDiLettura::consuma(sorgente, p - inizio);
    if (fineRiga) return;
  }
}

}  // namespace

void rilasciaCombinazione(_myElement* primo) {
  while (primo != nullptr) {
    _myElement* seguente = primo->nextElement;
    delete primo;
    primo = seguente;
  }
}

Combinatorial::Combinatorial() : lists(nullptr), n() {}

Combinatorial::Combinatorial(numero m) : lists(nullptr), n(m) {}

Combinatorial::~Combinatorial() {
  clear();
}

int Combinatorial::meta() const {
  return static_cast<int>(std::ceil(n.intero() * 0.5));
}

void Combinatorial::clear() {
  if (lists == nullptr) return;
  for (int i = 0; i < meta(); ++i) rilasciaSizeList(lists[i]);
  delete[] lists;
  lists = nullptr;
}

void Combinatorial::reset(numero m) {
  clear();
  n = m;
}

void Combinatorial::readCount(std::istream& s) {
  char scarto = 0;
  s.get(scarto);
  s.get(scarto);
  s >> n;
  scartaRiga(s);
}

void Combinatorial::readSize(std::istream& s, int& k) {
  char scarto = 0;
  s.get(scarto);
  s.get(scarto);
  s >> k;
  scartaRiga(s);
}

void Combinatorial::readSizeList(std::istream& s, int k) {
  if (!s.good() || k < 1 || k > meta()) return;
  if (lists == nullptr) lists = new _myElement*[meta()]();
  Lettura l{&lists[k - 1], nullptr, nullptr, true};
  l.combinazione = ultimoPer(lists[k - 1], &_myElement::next);
  l.ultimo = ultimoPer(l.combinazione, &_myElement::nextElement);
  // The buffer reports a read error by throwing; the line then ends with the stream bad.
  try {
    leggiCorpo(s, l);
  } catch (const std::ios_base::failure&) {
    s.setstate(std::ios::badbit);
  }
}

std::istream& operator>>(std::istream& s, Combinatorial& t) {
  scartaRiga(s);
  t.clear();
  t.readCount(s);
  if (t.meta() < 1 || t.n > numero(kConteggioMassimo)) return s;
  int k = 0;
  t.readSize(s, k);
  t.readSizeList(s, 1);
  for (k = 2; k <= t.meta(); ++k) {
    scartaRiga(s);
    scartaRiga(s);
    scartaRiga(s);
    t.readSizeList(s, k);
  }
  return s;
}

_myElement* Combinatorial::combinations(numero k) const {
  if (k < 1 || k > numero(meta()) || lists == nullptr) return nullptr;
  return lists[k.intero() - 1];
}

_myElement* Combinatorial::complement(_myElement*& primo) const {
  const int quanti = n.intero();
  if (primo == nullptr || quanti <= 0) return nullptr;
  // The search asks for a complement per combination: small tables keep their flags local.
  bool locali[64] = {};
  bool* presenti = (quanti <= 64) ? locali : new bool[quanti]();
  for (_myElement* e = primo; e != nullptr; e = e->nextElement) {
    const int posizione = e->value.intero();
    if (posizione >= 0 && posizione < quanti) presenti[posizione] = true;
  }
  _myElement* risultato = nullptr;
  _myElement* ultimo = nullptr;
  for (int i = 0; i < quanti; ++i) {
    if (presenti[i]) continue;
    _myElement* nodo = new _myElement;
    nodo->value = numero(i);
    (ultimo == nullptr ? risultato : ultimo->nextElement) = nodo;
    ultimo = nodo;
  }
  if (presenti != locali) delete[] presenti;
  return risultato;
}

_myElement* Combinatorial::complements(int k) const {
  if (k < 1 || k > meta() || lists == nullptr) return nullptr;
  _myElement* primo = nullptr;
  _myElement* ultimo = nullptr;
  for (_myElement* c = lists[k - 1]; c != nullptr; c = c->next) {
    _myElement* complemento = complement(c);
    if (complemento == nullptr) continue;
    (ultimo == nullptr ? primo : ultimo->next) = complemento;
    ultimo = complemento;
  }
  return primo;
}

void Combinatorial::generate() {
  if (n.intero() <= 0) return;
  if (lists == nullptr) lists = new _myElement*[meta()]();
  for (int i = 0; i < meta(); ++i) {
    rilasciaSizeList(lists[i]);
    lists[i] = nullptr;
  }
  for (int k = 1; k <= meta(); ++k) generateSize(numero(k));
}

void Combinatorial::generateSize(numero k) {
  const int kk = k.intero();
  const int quanti = n.intero();
  if (lists == nullptr || kk < 1 || kk > meta()) return;
  rilasciaSizeList(lists[kk - 1]);
  lists[kk - 1] = nullptr;
  _myElement* ultima = nullptr;
  auto accoda = [&](_myElement* combinazione) {
    (ultima == nullptr ? lists[kk - 1] : ultima->next) = combinazione;
    ultima = combinazione;
  };
  if (kk == 1) {
    for (int i = 0; i < quanti; ++i) {
      _myElement* nodo = new _myElement;
      nodo->value = numero(i);
      accoda(nodo);
    }
    return;
  }
  numero ultimaPosizione(quanti - 1);
  for (_myElement* c = lists[kk - 2]; c != nullptr; c = c->next) {
    if (contains(c, &ultimaPosizione)) continue;
    for (int p = lastElement(c).intero() + 1; p < quanti; ++p) {
      _myElement* nuova = nullptr;
      copyCombination(&c, &nuova);
      appendElement(&nuova, numero(p));
      accoda(nuova);
    }
  }
}

void Combinatorial::copyCombination(_myElement** sorgente, _myElement** destinazione) {
  if (sorgente == nullptr || *sorgente == nullptr) return;
  rilasciaCombinazione(*destinazione);
  *destinazione = nullptr;
  _myElement* ultimo = nullptr;
  for (_myElement* e = *sorgente; e != nullptr; e = e->nextElement) {
    _myElement* copia = new _myElement;
    copia->value = e->value;
    (ultimo == nullptr ? *destinazione : ultimo->nextElement) = copia;
    ultimo = copia;
  }
}

bool Combinatorial::contains(_myElement* combinazione, numero* v) {
  for (_myElement* e = combinazione; e != nullptr; e = e->nextElement) {
    if (e->value == *v) return true;
  }
  return false;
}

void Combinatorial::appendElement(_myElement** combinazione, numero v) {
  _myElement* nodo = new _myElement;
  nodo->value = v;
  _myElement* ultimo = ultimoPer(*combinazione, &_myElement::nextElement);
  (ultimo == nullptr ? *combinazione : ultimo->nextElement) = nodo;
}

numero Combinatorial::lastElement(_myElement* combinazione) {
  if (combinazione == nullptr) return numero(-1);
  return ultimoPer(combinazione, &_myElement::nextElement)->value;
}

stringa Combinatorial::alignment(int k, int n) {
  int eccesso = 0;
  for (; n != 0; n /= 10) ++eccesso;
  for (; k != 0; k /= 10) --eccesso;
  stringa blanchi;
  for (; eccesso > 0; --eccesso) blanchi += stringa(" ");
  return blanchi;
}

std::ostream& operator<<(std::ostream& s, Combinatorial& t) {
  if (t.n == numero(0) || t.lists == nullptr) return s;
  for (int i = 0; i < t.meta(); ++i) {
    const int k = i + 1;
    s << "\n"
      << "( " << t.n << " )\n";
    s << "( " << Combinatorial::alignment(k, t.n.intero()).str << k << " )\n";
    for (_myElement* c = t.lists[i]; c != nullptr; c = c->next) {
      s << c->value;
      for (_myElement* e = c->nextElement; e != nullptr; e = e->nextElement) s << "." << e->value;
      s << (c->next != nullptr ? " , " : "\n");
    }
  }
  return s;
}
