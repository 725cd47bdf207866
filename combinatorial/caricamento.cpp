#include "combinatorial/caricamento.h"

#include <cerrno>
#include <cstdint>

#include "sistema/ingresso.h"

namespace {

// Feeds a stored size list, node by node, to the check.
bool listaCompleta(_myElement* lista, int n, int k) {
  VerificaLista verifica(n, k);
  for (_myElement* c = lista; c != nullptr; c = c->next) {
    for (_myElement* e = c; e != nullptr; e = e->nextElement) {
      if (e != c && e->next != nullptr) return false;  // an element that heads a combination
      const numero& v = e->value;
      verifica.elemento(v.normaleNonNegativo() ? v.a64() : ~std::uint64_t{0}, e == c);
    }
  }
  return verifica.completa();
}

}  // namespace

stringa nomeTabella(int n) {
  const char nome[] = {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10), '\0'};
  return stringa("Combinations") + stringa(nome) + stringa(".txt");
}

bool tabellaCompleta(const Combinatorial& t, int n) {
  if (!(t.n == numero(n)) || t.lists == nullptr || n >= kTabelle) return false;
  for (int k = 1; k <= t.meta(); ++k) {
    if (!listaCompleta(t.lists[k - 1], n, k)) return false;
  }
  return true;
}

bool tabellaIntatta(std::istream& s, int n) {
  if (ugualeAlGenerato(s, n)) return true;
  if (s.bad()) return false;  // a read error, not a difference
  s.clear();
  s.seekg(0);
  return tabellaCompletaDaLeggere(s, n);
}

void annunciaTabella(int n, std::ostream& out) {
  out << "Combinator " << n << " elements "
      << "read from file\n";
}

int caricaTabelle(Combinatorial (&tabelle)[kTabelle], std::ostream& out, int* motivo) {
  for (int n = kPrimaTabella; n <= kUltimaTabella; ++n) {
    stringa nome = nomeTabella(n);
    Ingresso ingresso(nome.caratteri(), true);
    // A complete table equals the generated one; the search asks for those of even count only,
    // and for each the first time a leg of that many factors comes.
    const bool completa = ingresso.errore() == 0 && tabellaIntatta(ingresso.flusso(), n);
    if (completa) tabelle[n].costruisciDopo(numero(n));
    if (!completa) {
      const int errore = ingresso.errore() != 0 ? ingresso.errore() : ingresso.erroreLettura();
      if (motivo != nullptr) *motivo = errore == ENOENT ? 0 : errore;
      return n;
    }
    annunciaTabella(n, out);
  }
  return 0;
}
