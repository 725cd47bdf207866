// terne: lists the Pythagorean triples one of whose legs lies in a range typed by the user.
#include <iostream>

#include "driver/esecuzione.h"
#include "driver/interruzione.h"

int main() {
  return esegui(std::cin, std::cout, pausaDiUnSecondo);
}
