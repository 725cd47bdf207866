#include "numero/myelement.h"

#include <sys/mman.h>

#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define TERNE_ALLOCATORE_GLOBALE 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TERNE_ALLOCATORE_GLOBALE 1
#endif
#endif

#ifdef TERNE_ALLOCATORE_GLOBALE

void* _myElement::operator new(std::size_t byte) {
  return ::operator new(byte);
}
void _myElement::operator delete(void* nodo) noexcept {
  ::operator delete(nodo);
}

#else

namespace {

// A released cell holds the link to the next free one.
union Cella {
  Cella* libera;
  alignas(_myElement) unsigned char spazio[sizeof(_myElement)];
};

static_assert(sizeof(Cella) == sizeof(_myElement));

// Blocks of 2 MiB, mapped with their pages already in place: the tables touch some 50 MB at
// start, and one call that maps a block whole costs far less than a fault per 4 KiB page.
constexpr std::size_t kByteBlocco = std::size_t{1} << 21;

struct Blocco {
  Blocco* precedente;
  Cella celle[(kByteBlocco - sizeof(Blocco*)) / sizeof(Cella)];
};
constexpr std::size_t kCellePerBlocco = sizeof(Blocco::celle) / sizeof(Cella);
static_assert(sizeof(Blocco) <= kByteBlocco);

Blocco* nuovoBlocco() {
  void* spazio = mmap(nullptr, kByteBlocco, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  if (spazio == MAP_FAILED) throw std::bad_alloc();
  return ::new (spazio) Blocco;
}

// Blocks live until the program ends; the chain keeps them reachable.
Blocco* blocchi = nullptr;
std::size_t usateNellUltimo = kCellePerBlocco;
Cella* libere = nullptr;

}  // namespace

void* _myElement::operator new(std::size_t byte) {
  (void)byte;  // always sizeof(_myElement): the node has no derived types
  if (libere != nullptr) {
    Cella* cella = libere;
    libere = cella->libera;
    return cella;
  }
  if (usateNellUltimo == kCellePerBlocco) {
    Blocco* nuovo = nuovoBlocco();
    nuovo->precedente = blocchi;
    blocchi = nuovo;
    usateNellUltimo = 0;
  }
  return &blocchi->celle[usateNellUltimo++];
}

void _myElement::operator delete(void* nodo) noexcept {
  if (nodo == nullptr) return;
  Cella* cella = static_cast<Cella*>(nodo);
  cella->libera = libere;
  libere = cella;
}

#endif
