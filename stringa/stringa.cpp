#include "stringa/stringa.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

// The bounds check of the index operator stays active in every build type.
#undef NDEBUG
#include <cassert>

namespace {

int stanza(int n) {
  return n > 50 ? n : 50;
}

int lunghezza(const char* testo) {
  return static_cast<int>(std::strlen(testo));
}

// A zero-filled buffer of `byte` bytes, so the bytes past the text are always defined.
char* nuovoBuffer(int byte) {
  return new char[byte]();
}

// A buffer holding `testo` with room for at least `conta` characters.
char* copiaIn(const char* testo, int conta) {
  const int l = lunghezza(testo);
  char* buffer = nuovoBuffer((l > conta ? l : conta) + 1);
  std::memcpy(buffer, testo, l);
  return buffer;
}

}  // namespace

stringa::stringa() : str(nuovoBuffer(1)), num(0), dim(50) {}

stringa::stringa(int n) : str(nullptr), num(n < 0 ? 0 : n), dim(num) {
  str = nuovoBuffer(num + 1);
}

stringa::stringa(const stringa& altra)
    : str(copiaIn(altra.str, altra.num)), num(altra.num), dim(altra.dim) {}

stringa::stringa(const char* testo)
    : str(copiaIn(testo, 0)), num(lunghezza(testo)), dim(stanza(num)) {}

stringa::stringa(char c) : str(nuovoBuffer(2)), num(1), dim(50) {
  str[0] = c;
}

stringa::~stringa() {
  delete[] str;
}

stringa& stringa::operator=(const stringa& altra) {
  if (this == &altra) return *this;
  delete[] str;
  str = copiaIn(altra.str, altra.num);
  num = altra.num;
  dim = altra.dim;
  return *this;
}

char* stringa::caratteri() {
  riserva(dim);
  return str;
}

void stringa::riserva(int n) {
  if (n < num) return;
  char* nuovo = copiaIn(str, n);
  delete[] str;
  str = nuovo;
  num = n;
  dim = stanza(n);
}

char& stringa::operator[](int ind) {
  num = lunghezza(str);
  // The condition text appears verbatim in the assertion report.
  // clang-format off
  assert(ind>=0 && ind<=num);
  // clang-format on
  return str[ind];
}

bool stringa::contiene(char c) const {
  return c != '\0' && std::strchr(str, c) != nullptr;
}

int stringa::confronta(stringa b, int posizione, int conta) const {
  const int la = lunghezza(str);
  const int lb = lunghezza(b.str);
  // A position outside the text is a caller error; it is read as an already ended window.
  if (posizione < 0 || posizione > la) posizione = la;
  for (int i = 0; i < conta; ++i) {
    const bool fineA = posizione + i == la;
    const bool fineB = i == lb;
    if (fineA || fineB) return (fineA && fineB) ? 0 : (fineA ? -1 : 1);
    const signed char ca = static_cast<signed char>(str[posizione + i]);
    const signed char cb = static_cast<signed char>(b[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return 0;
}

bool stringa::trova(stringa modello, int* posizione) const {
  const int l = lunghezza(str);
  const int m = lunghezza(modello.str);
  if (m <= 0) return false;
  for (int i = 0; i <= l - m; ++i) {
    int k = 0;
    while (k < m && str[i + k] == modello[k]) ++k;
    if (k == m) {
      if (posizione != nullptr) *posizione = i;
      return true;
    }
  }
  return false;
}

stringa operator+(const stringa& a, const stringa& b) {
  const int la = static_cast<int>(std::strlen(a.str));
  const int lb = static_cast<int>(std::strlen(b.str));
  stringa somma(la + lb);
  std::memcpy(somma.str, a.str, la);
  std::memcpy(somma.str + la, b.str, lb + 1);
  return somma;
}

stringa& stringa::operator+=(const stringa& b) {
  *this = *this + b;
  return *this;
}

stringa& stringa::fissaLunghezza(int n) {
  if (n < 0) n = 0;
  if (n <= num) {
    str[n] = '\0';
  } else {
    char* nuovo = nuovoBuffer(n + 1);
    std::memcpy(nuovo, str, num);
    std::memset(nuovo + num, ' ', n - num);
    delete[] str;
    str = nuovo;
  }
  num = n;
  dim = stanza(n);
  return *this;
}

void stringa::sottostringa(stringa sorgente, int primo, int ultimo) {
  delete[] str;
  if (ultimo < primo) {
    str = nuovoBuffer(1);
    num = 0;
    dim = 50;
    return;
  }
  num = ultimo - primo + 1;
  str = nuovoBuffer(num + 1);
  for (int i = 0; i < num; ++i) str[i] = sorgente[primo + i];
  dim = stanza(num);
}

void stringa::finoA(stringa sorgente, int primo, char delimitatore) {
  delete[] str;
  const int l = lunghezza(sorgente.str);
  if (l - primo <= 0) {
    str = nuovoBuffer(1);
    num = 0;
    dim = 50;
    return;
  }
  num = l - primo;
  str = nuovoBuffer(num + 2);  // the delimiter may follow the whole rest
  int i = 0;
  while (primo + i < l && sorgente[primo + i] != delimitatore) {
    str[i] = sorgente[primo + i];
    ++i;
  }
  str[i] = delimitatore;
  dim = stanza(num);
}

stringa& stringa::sostituisci(stringa cerca, stringa sostituto) {
  const int lc = lunghezza(cerca.str);
  if (lc == 0 || num == 0) return *this;
  const int ls = lunghezza(sostituto.str);
  const stringa originale(str);
  const int lo = lunghezza(originale.str);
  int scritti = 0;
  for (int i = 0; i < lo && scritti < num;) {
    if (std::strncmp(originale.str + i, cerca.str, lc) == 0) {
      for (int k = 0; k < ls && scritti < num; ++k) str[scritti++] = sostituto.str[k];
      i += lc;
    } else {
      str[scritti++] = originale.str[i++];
    }
  }
  str[scritti] = '\0';
  return *this;
}

void stringa::maiuscolo() {
  for (char* c = str; *c != '\0'; ++c)
    *c = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
}

void stringa::minuscolo() {
  for (char* c = str; *c != '\0'; ++c)
    *c = static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
}

double stringa::reale(bool& avanzo) const {
  char* fine = nullptr;
  const double valore = std::strtod(str, &fine);
  avanzo = *fine != '\0';
  return valore;
}

bool operator<(const stringa& a, const stringa& b) {
  return std::strcmp(a.str, b.str) < 0;
}
bool operator>(const stringa& a, const stringa& b) {
  return b < a;
}
bool operator==(const stringa& a, const stringa& b) {
  return std::strcmp(a.str, b.str) == 0;
}
