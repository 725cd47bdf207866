#include "combinatorial/combinatorial.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <streambuf>
#include <string>
#include <string_view>

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

// Where the elements of a body line go as it is read: each element closed with the character
// that closed it ('.', ',', '\n', or EOF at the end of the input); after a ',' the next element
// starts a combination.

// Into the nodes of a size list.
struct Lettura {
  _myElement** testa;        // the size list's entry in the head array
  _myElement* combinazione;  // first node of the current combination
  _myElement* ultimo;        // last element of the current combination
  bool nuovaCombinazione;

  void elemento(std::uint64_t valore, int separatore) {
    _myElement* nodo = new _myElement;
    nodo->value = numero::da64(valore);
    if (*testa == nullptr) {
      *testa = nodo;
      combinazione = nodo;
    } else if (nuovaCombinazione) {
      combinazione->next = nodo;
      combinazione = nodo;
    } else {
      ultimo->nextElement = nodo;
    }
    ultimo = nodo;
    nuovaCombinazione = separatore == ',';
  }
};

// Into the check of a size list, with no node.
struct Verifica {
  VerificaLista& lista;
  bool nuovaCombinazione = true;

  void elemento(std::uint64_t valore, int separatore) {
    lista.elemento(valore, nuovaCombinazione);
    nuovaCombinazione = separatore == ',';
  }
};

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

// Reads one body line into `destinazione`, up to and including its newline.
//
// An element's value is its text read as by numero's text constructor: each of its first
// numero::kCaratteriTesto characters one decimal position, a non-digit worth 0. It is accumulated
// as the characters arrive, which gives the same value as collecting the text first. Blanks,
// carriage returns and NUL bytes (which never reach a NUL-terminated text) are not part of it.
template <typename Destinazione>
void leggiCorpo(std::istream& s, Destinazione& destinazione) {
  std::uint64_t valore = 0;
  int caratteri = 0;  // characters of the element's text
  int presi = 0;      // characters taken since the element began, dropped ones included
  auto chiudiElemento = [&](int separatore) {
    destinazione.elemento(valore, separatore);
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
    chiudiElemento(c);
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
      if (presi > 0) chiudiElemento(std::char_traits<char>::eof());
      return;
    }
    char* p = inizio;
    bool fineRiga = false;
    while (p < fine && !fineRiga) fineRiga = tratta(static_cast<unsigned char>(*p++));
    AreaDiLettura::consuma(sorgente, p - inizio);
    if (fineRiga) return;
  }
}

// Reads one body line; a read error of the stream's buffer, which it reports by throwing, ends
// the line with the stream bad.
template <typename Destinazione>
void leggiRigaCorpo(std::istream& s, Destinazione& destinazione) {
  try {
    leggiCorpo(s, destinazione);
  } catch (const std::ios_base::failure&) {
    s.setstate(std::ios::badbit);
  }
}

// The lines that come between two body lines: an empty one, "( n )" and "( k )".
void scartaIntestazione(std::istream& s) {
  scartaRiga(s);
  scartaRiga(s);
  scartaRiga(s);
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

void Combinatorial::costruisciDopo(numero m) {
  reset(m);
  daCostruire_ = true;
}

void Combinatorial::costruisci() const {
  if (!daCostruire_) return;
  daCostruire_ = false;
  // generate() changes the head array and the nodes only, which a const table may change too.
  const_cast<Combinatorial*>(this)->generate();
}

Combinatorial::~Combinatorial() {
  clear();
}

int Combinatorial::meta() const {
  return static_cast<int>(std::ceil(n.intero() * 0.5));
}

void Combinatorial::clear() {
  daCostruire_ = false;
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
  leggiRigaCorpo(s, l);
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
    scartaIntestazione(s);
    t.readSizeList(s, k);
  }
  return s;
}

namespace {

// True when nothing but blanks and line ends is left in s: a table ends with its last block.
bool soloRigheVuote(std::istream& s) {
  try {
    for (int c; (c = s.rdbuf()->sbumpc()) != std::char_traits<char>::eof();) {
      if (c != ' ' && c != '\r' && c != '\n') return false;
    }
  } catch (const std::ios_base::failure&) {
    s.setstate(std::ios::badbit);  // a read error, which the caller tells apart
    return false;
  }
  return true;
}

// Compares a stream with a text given in small pieces: they are gathered, and each batch is
// compared with the stream's buffer in place, so that a text as long as a table costs about
// what reading it costs.
class Confronto {
 public:
  explicit Confronto(std::istream& s) : sorgente_(s.rdbuf()) {}
  // The stream is to go on with `atteso`. False once a difference has been found.
  bool segue(std::string_view atteso) {
    while (!atteso.empty()) {
      if (usati_ == sizeof atteso_ && !confronta()) return false;
      const std::size_t pezzo = std::min(atteso.size(), sizeof atteso_ - usati_);
      std::memcpy(atteso_ + usati_, atteso.data(), pezzo);
      usati_ += pezzo;
      atteso.remove_prefix(pezzo);
    }
    return uguale_;
  }
  // Room for `quanti` bytes of the text expected next, to be written in place and then taken
  // with avanza; null once a difference has been found. REQUIRES: quanti <= 4096.
  char* spazio(std::size_t quanti) {
    if (usati_ + quanti > sizeof atteso_ && !confronta()) return nullptr;
    return atteso_ + usati_;
  }
  void avanza(std::size_t quanti) { usati_ += quanti; }
  // True when the stream held the whole text, and nothing after it.
  bool finito() { return confronta() && sorgente_->sgetc() == std::char_traits<char>::eof(); }

 private:
  // Compares the gathered text with what the stream holds next.
  bool confronta() {
    std::string_view atteso(atteso_, usati_);
    usati_ = 0;
    while (uguale_ && !atteso.empty()) {
      char* const inizio = AreaDiLettura::primo(sorgente_);
      const auto disponibili = static_cast<std::size_t>(AreaDiLettura::ultimo(sorgente_) - inizio);
      if (disponibili == 0) {  // refills the area, or takes one character from an unbuffered source
        uguale_ = sorgente_->sbumpc() == static_cast<unsigned char>(atteso[0]);
        atteso.remove_prefix(1);
        continue;
      }
      const std::size_t pezzo = std::min(disponibili, atteso.size());
      uguale_ = std::memcmp(inizio, atteso.data(), pezzo) == 0;
      AreaDiLettura::consuma(sorgente_, static_cast<std::ptrdiff_t>(pezzo));
      atteso.remove_prefix(pezzo);
    }
    return uguale_;
  }

  std::streambuf* sorgente_;
  bool uguale_ = true;
  char atteso_[1 << 14];
  std::size_t usati_ = 0;
};

// Writes the decimal digits of v, 0 <= v < 100, at `testo`; returns how many.
std::size_t scriviPosizione(char* testo, int v) {
  if (v < 10) {
    testo[0] = static_cast<char>('0' + v);
    return 1;
  }
  testo[0] = static_cast<char>('0' + v / 10);
  testo[1] = static_cast<char>('0' + v % 10);
  return 2;
}

// The body line of size k, compared combination by combination. The combinations that share
// all their positions but the last follow one another: the text of those positions, with the
// '.' after it, is written once, and copied in front of each last position, in one move as long
// as it is short.
bool corpoGenerato(Confronto& confronto, int n, int k) {
  constexpr std::size_t kCorto = 32;
  int posizioni[VerificaLista::kMassimo];
  std::size_t inizio[VerificaLista::kMassimo];  // where each position's text starts
  char prefisso[3 * VerificaLista::kMassimo + kCorto] = {};
  for (int j = 0; j < k; ++j) posizioni[j] = j;
  for (int da = 0;;) {
    // The text of the positions before the last, from `da` on, each followed by its '.'.
    std::size_t lunghezza = da > 0 ? inizio[da] : 0;
    for (int j = da; j + 1 < k; ++j) {
      inizio[j] = lunghezza;
      lunghezza += scriviPosizione(prefisso + lunghezza, posizioni[j]);
      prefisso[lunghezza++] = '.';
    }
    const bool ultimoPrefisso = k == 1 || posizioni[0] == n - k;
    for (int ultima = posizioni[k - 1]; ultima < n; ++ultima) {
      char* testo = confronto.spazio(lunghezza + kCorto);
      if (testo == nullptr) return false;
      std::memcpy(testo, prefisso, lunghezza <= kCorto ? kCorto : lunghezza);
      std::size_t scritti = lunghezza + scriviPosizione(testo + lunghezza, ultima);
      // " , " before another combination, the line end after the last one.
      const bool fine = ultimoPrefisso && ultima == n - 1;
      std::memcpy(testo + scritti, fine ? "\n  " : " , ", 3);
      confronto.avanza(scritti + (fine ? 1 : 3));
    }
    // The next combination whose positions before the last differ.
    da = k - 2;
    while (da >= 0 && posizioni[da] == n - k + da) --da;
    if (da < 0) return true;
    ++posizioni[da];
    for (int j = da + 1; j < k; ++j) posizioni[j] = posizioni[j - 1] + 1;
  }
}

}  // namespace

bool ugualeAlGenerato(std::istream& s, int n) {
  Confronto confronto(s);
  try {
    for (int k = 1; k <= (n + 1) / 2; ++k) {
      const std::string intestazione = "\n( " + std::to_string(n) + " )\n( " +
                                       Combinatorial::alignment(k, n).str + std::to_string(k) +
                                       " )\n";
      if (!confronto.segue(intestazione) || !corpoGenerato(confronto, n, k)) return false;
    }
    return confronto.finito();
  } catch (const std::ios_base::failure&) {
    s.setstate(std::ios::badbit);
    return false;
  }
}

bool tabellaCompletaDaLeggere(std::istream& s, int n) {
  scartaRiga(s);
  Combinatorial t;  // its count only
  t.readCount(s);
  if (t.meta() < 1 || t.n > numero(kConteggioMassimo) || !(t.n == numero(n))) return false;
  int k = 0;
  t.readSize(s, k);
  for (k = 1; k <= t.meta(); ++k) {
    if (k > 1) scartaIntestazione(s);
    if (!s.good()) return false;
    VerificaLista lista(n, k);
    Verifica verifica{lista};
    leggiRigaCorpo(s, verifica);
    if (!lista.completa()) return false;
  }
  return soloRigheVuote(s);
}

VerificaLista::VerificaLista(int n, int k) : n_(n), k_(k), buona_(k >= 1 && k <= kMassimo) {
  for (int i = 0; i < k_ && buona_; ++i) attesa_[i] = i;
}

void VerificaLista::elemento(std::uint64_t valore, bool nuova) {
  if (!buona_) return;
  if (nuova && !inizio_) {
    // The combination before is over: it must be whole, and another one must be due.
    int i = k_ - 1;
    while (i >= 0 && attesa_[i] == n_ - k_ + i) --i;
    if (visti_ != k_ || i < 0) {
      buona_ = false;
      return;
    }
    ++attesa_[i];
    for (int j = i + 1; j < k_; ++j) attesa_[j] = attesa_[j - 1] + 1;
    visti_ = 0;
  }
  inizio_ = false;
  buona_ = visti_ < k_ && valore == static_cast<std::uint64_t>(attesa_[visti_]);
  ++visti_;
}

bool VerificaLista::ultima() const {
  for (int i = 0; i < k_; ++i) {
    if (attesa_[i] != n_ - k_ + i) return false;
  }
  return true;
}

bool VerificaLista::completa() const {
  return buona_ && !inizio_ && visti_ == k_ && ultima();
}

_myElement* Combinatorial::combinations(numero k) const {
  costruisci();
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
  costruisci();
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
  daCostruire_ = false;
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
  t.costruisci();
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
