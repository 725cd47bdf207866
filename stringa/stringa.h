// stringa: the system's owning text string.
//
// Each object owns one heap buffer holding NUL-terminated 8-bit text and copies it on copy and
// assignment. `num` is the character count the object accounts for and `dim` the room that the
// text accessor guarantees; buffers are sized exactly, never grown geometrically.
//
// Room rule: where an operation sets `dim` from a count n, `dim` = n when n > 50, else 50.
#pragma once

class stringa {
 public:
  char* str;  // owned buffer: the text and a NUL; holds at least num + 1 bytes
  int num;    // accounted characters: the text length after construction and concatenation
  int dim;    // room of the text accessor; at least 50 except after the count constructor

  stringa();                      // empty text, num 0, dim 50
  explicit stringa(int n);        // empty text with room for n characters; num = dim = n
  stringa(const stringa& altra);  // copies the text, num and dim
  stringa(const char* testo);     // num = its length, dim by the room rule
  stringa(char c);                // one-character text, num 1, dim 50
  ~stringa();
  stringa& operator=(const stringa& altra);  // self-assignment changes nothing

  // Replaces the buffer by one with room for dim characters (see riserva) and returns it.
  // A pointer from an earlier call is invalid after a later one.
  char* caratteri();
  // If n >= num: a new buffer of n + 1 bytes keeps the text; num = n, dim by the room rule.
  void riserva(int n);
  // Measures the text into num, then checks 0 <= ind <= num (active in every build: the
  // program ends with an assertion report on failure); ind == num addresses the NUL.
  char& operator[](int ind);

  bool contiene(char c) const;  // the NUL never matches
  bool nonContiene(char c) const { return !contiene(c); }
  // Compares this text from `posizione` with b from 0 over at most `conta` characters, as
  // signed bytes: -1, 0 or +1. A window that ends first orders first.
  int confronta(stringa b, int posizione, int conta) const;
  // Finds the first occurrence of a non-empty pattern; stores its position when asked.
  bool trova(stringa modello, int* posizione = nullptr) const;

  stringa& operator+=(const stringa& b);
  // Cuts the text to n characters, or pads it with blanks up to n; num = n.
  stringa& fissaLunghezza(int n);
  // This object becomes the characters of sorgente from primo through ultimo, both included.
  void sottostringa(stringa sorgente, int primo, int ultimo);
  // This object becomes sorgente from primo up to the first delimitatore, followed by it.
  void finoA(stringa sorgente, int primo, char delimitatore);
  // Replaces the occurrences of cerca by sostituto, left to right in the original text; the
  // scan resumes after each replaced occurrence, so replacements are never scanned again.
  // The edit stays in the existing buffer and the result is cut at num characters. An empty
  // search text, or a text with num 0, leaves the object unchanged.
  stringa& sostituisci(stringa cerca, stringa sostituto);
  void maiuscolo();
  void minuscolo();
  // Decimal-to-double conversion; `avanzo` tells whether characters were left unconverted.
  double reale(bool& avanzo) const;
};

stringa operator+(const stringa& a, const stringa& b);  // num = dim = combined length
bool operator<(const stringa& a, const stringa& b);     // byte-wise, unsigned
bool operator>(const stringa& a, const stringa& b);
bool operator==(const stringa& a, const stringa& b);
