// _myElement: the one list node of the system.
//
// `next` leads to the next entry of the list the node belongs to (next prime, next factor, next
// combination of a size list); `nextElement` to the next element of the same combination. Nodes
// are created one at a time with new and released one at a time with delete; whoever holds the
// first node of a chain owns the chain.
#pragma once

#include "numero/numero.h"

struct _myElement {
  numero value;
  _myElement* next = nullptr;
  _myElement* nextElement = nullptr;
};

// Releases a chain joined by `next` (a plain list: primes, factors).
inline void rilasciaLista(_myElement* primo) {
  while (primo != nullptr) {
    _myElement* seguente = primo->next;
    delete primo;
    primo = seguente;
  }
}
