// _myElement: the one list node of the system.
//
// `next` leads to the next entry of the list the node belongs to (next prime, next factor, next
// combination of a size list); `nextElement` to the next element of the same combination. Nodes
// are created one at a time with new and released one at a time with delete; whoever holds the
// first node of a chain owns the chain.
#pragma once

#include <cstddef>

#include "numero/numero.h"

struct _myElement {
  numero value;
  _myElement* next = nullptr;
  _myElement* nextElement = nullptr;

  // The tables hold millions of nodes: a class-level allocator hands out 32-byte cells from
  // large blocks and takes released ones back for reuse, still one node per new and delete.
  // Under the sanitizers the global allocator stays, so that every node is checked.
  static void* operator new(std::size_t byte);
  static void operator delete(void* nodo) noexcept;
};

// Releases a chain joined by `next` (a plain list: primes, factors).
inline void rilasciaLista(_myElement* primo) {
  while (primo != nullptr) {
    _myElement* seguente = primo->next;
    delete primo;
    primo = seguente;
  }
}
