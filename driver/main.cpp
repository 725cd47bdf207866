// terne: lists the Pythagorean triples one of whose legs lies in a range typed by the user.
#include <csignal>
#include <iostream>

#include "driver/esecuzione.h"
#include "driver/interruzione.h"

int main() {
  // A console that goes away, or a results file beyond the size limit of the shell (ulimit -f),
  // is a failed write, which the run notices and handles.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  return esegui(std::cin, std::cout, std::cerr, pausaDiUnSecondo);
}
