#include "combinatorial/caricamento.h"

#include <fstream>

namespace {

// Checks one size list against the lexicographic enumeration of the k-subsets of 0 … n-1.
bool listaCompleta(_myElement* lista, int n, int k) {
  int attesa[kTabelle];
  for (int i = 0; i < k; ++i) attesa[i] = i;
  for (_myElement* c = lista; c != nullptr; c = c->next) {
    _myElement* e = c;
    for (int i = 0; i < k; ++i, e = e->nextElement) {
      if (e == nullptr || !(e->value == numero(attesa[i]))) return false;
      if (i > 0 && e->next != nullptr) return false;
    }
    if (e != nullptr) return false;
    // Next combination in lexicographic order; none left means the list must end here.
    int i = k - 1;
    while (i >= 0 && attesa[i] == n - k + i) --i;
    if (i < 0) return c->next == nullptr;
    ++attesa[i];
    for (int j = i + 1; j < k; ++j) attesa[j] = attesa[j - 1] + 1;
  }
  return false;
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

void annunciaTabella(int n, std::ostream& out) {
  out << "Combinator " << n << " elements "
      << "read from file\n";
}

int caricaTabelle(Combinatorial (&tabelle)[kTabelle], std::ostream& out) {
  for (int n = kPrimaTabella; n <= kUltimaTabella; ++n) {
    stringa nome = nomeTabella(n);
    std::ifstream file(nome.caratteri());
    file >> tabelle[n];
    if (!tabellaCompleta(tabelle[n], n)) return n;
    out << "Combinator " << n << " elements "
        << "read from file\n";
  }
  return 0;
}
