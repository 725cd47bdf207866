#include "driver/ricerca.h"

#include <cmath>
#include <cstdint>

#include "driver/interruzione.h"
#include "primes/primi.h"

namespace {

// a² + b² = c² modulo 2^32, as 32-bit values: exact for the legs the program accepts.
bool esatta(const numero& a, const numero& b, const numero& c) {
  const std::uint32_t somma =
      static_cast<std::uint32_t>((a * a).intero()) + static_cast<std::uint32_t>((b * b).intero());
  return static_cast<int>(somma) == (c * c).intero();
}

void scriviFinoA(int ultimoCateto, int da, _pTerne** tail, std::ostream& file) {
  for (int i = da; i <= ultimoCateto + 100; ++i) scriviTerne(tail, numero(i), file);
}

}  // namespace

void esaminaCateto(numero a, _myElement* primi, Combinatorial* tabelle, _pTerne** head,
                   _pTerne** tail, std::ostream& out, const Pausa& pausa) {
  _myElement* fattori = nullptr;
  fattorizza(a * a, primi, &fattori);
  const int t = contaElementi(fattori);
  if (t < 4 || t > 19) {
    rilasciaLista(fattori);
    return;
  }
  Combinatorial& tabella = tabelle[t];
  for (int k = 1; k < std::ceil(t * 0.5); ++k) {
    for (_myElement* s = tabella.combinations(numero(k)); s != nullptr; s = s->next) {
      numero d;
      numero e;
      prodotto(&d, s, fattori);
      _myElement* complemento = tabella.complement(s);
      prodotto(&e, complemento, fattori);
      rilasciaCombinazione(complemento);
      const int x = (d < e) ? (e - d).intero() : (d - e).intero();
      const int y = (d < e) ? (e + d).intero() : (d + e).intero();
      const numero b(x / 2);
      const numero c(y / 2);
      if (!esatta(a, b, c) || !registraTerna(b, c, a, head, tail)) continue;
      out << "La terna di numeri interi: " << b << " , " << a << " , " << c << " e' Pitagorica.\n"
          << std::flush;
      pausa();
    }
  }
  rilasciaLista(fattori);
}

bool cicloCateti(const numero& M, const numero& N, _myElement* primi, Combinatorial* tabelle,
                 _pTerne** head, _pTerne** tail, std::ostream& file, std::ostream& out,
                 const Pausa& pausa, numero& ultimo) {
  installaGestoriInterruzione();
  numero cateto = M;
  bool interrotto = false;
  while (cateto <= N && !interrotto) {
    esaminaCateto(cateto, primi, tabelle, head, tail, out, pausa);
    scriviTerne(tail, cateto, file);
    if (*tail == nullptr) *head = nullptr;
    ultimo = cateto;
    ++cateto;
    interrotto = interruzioneRichiesta();
  }
  ripristinaGestoriInterruzione();
  scriviFinoA(interrotto ? ultimo.intero() : N.intero(), cateto.intero(), tail, file);
  if (*tail == nullptr) *head = nullptr;
  return interrotto;
}
