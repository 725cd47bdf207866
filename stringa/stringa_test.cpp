#include "stringa/stringa.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void Controlla(const stringa& s, const std::string& testo, int num, int dim) {
  EXPECT_EQ(std::string(s.str), testo);
  EXPECT_EQ(s.num, num) << testo;
  EXPECT_EQ(s.dim, dim) << testo;
}

TEST(Stringa, ConstructionFollowsTheRoomRule) {
  Controlla(stringa(), "", 0, 50);
  Controlla(stringa(std::string(60, 'x').c_str()), std::string(60, 'x'), 60, 60);
  Controlla(stringa(std::string(50, 'x').c_str()), std::string(50, 'x'), 50, 50);
  Controlla(stringa('q'), "q", 1, 50);
  Controlla(stringa(7), "", 7, 7);
  const stringa fonte("abc");
  Controlla(stringa(fonte), "abc", 3, 50);
}

TEST(Stringa, AppendingCharactersBuildsATokenAndAssignmentCopies) {
  stringa accumulo;
  for (char c : std::string("0123")) accumulo += stringa(c);
  Controlla(accumulo, "0123", 4, 4);
  stringa copia("zz");
  copia = accumulo;
  Controlla(copia, "0123", 4, 4);
  EXPECT_NE(copia.str, accumulo.str);
  char* prima = copia.str;
  copia = copia;
  EXPECT_EQ(copia.str, prima);
  Controlla(copia, "0123", 4, 4);
}

TEST(Stringa, TextAccessorReplacesTheBufferWithTheReservedRoom) {
  stringa somma = stringa("ab") + stringa("cde");
  Controlla(somma, "abcde", 5, 5);
  char* primo = somma.caratteri();
  EXPECT_STREQ(primo, "abcde");
  EXPECT_EQ(somma.num, 5);
  EXPECT_EQ(somma.dim, 50);
  somma.caratteri();
  Controlla(somma, "abcde", 50, 50);
  // The caller may write dim characters and a NUL (an overrun shows under AddressSanitizer).
  char* buffer = somma.caratteri();
  for (int i = 0; i < 50; ++i) buffer[i] = 'z';
  buffer[50] = '\0';
  EXPECT_EQ(std::string(somma.str), std::string(50, 'z'));
  stringa abc("abc");
  abc.caratteri();
  EXPECT_EQ(abc.num, 50);
  EXPECT_EQ(abc[0], 'a');
  EXPECT_EQ(abc.num, 3);
}

TEST(Stringa, IndexAllowsTheTerminatorOnly) {
  stringa abc("abc");
  EXPECT_EQ(abc[3], '\0');
  abc[1] = 'X';
  EXPECT_STREQ(abc.str, "aXc");
}

TEST(StringaDeathTest, IndexOutsideTheTextEndsWithTheAssertionReport) {
  stringa abc("abc");
  EXPECT_DEATH(abc[4], "stringa.*ind>=0 && ind<=num");
  EXPECT_DEATH(abc[-1], "stringa.*ind>=0 && ind<=num");
  EXPECT_DEATH(stringa().sottostringa(abc, 1, 5), "ind>=0 && ind<=num");
}

TEST(Stringa, ComparisonsAndSearches) {
  EXPECT_TRUE(stringa("abc") < stringa("abd"));
  EXPECT_TRUE(stringa("abd") > stringa("abc"));
  EXPECT_TRUE(stringa("ab") < stringa("\xe0"));  // unsigned bytes
  EXPECT_TRUE(stringa("6,8,10") == stringa("6,8,10"));
  EXPECT_FALSE(stringa("6,8,10") == stringa("6,8,1"));
  EXPECT_TRUE(stringa("abc").contiene('b'));
  EXPECT_FALSE(stringa("").contiene('a'));
  EXPECT_FALSE(stringa("abc").contiene('\0'));
  EXPECT_TRUE(stringa("").nonContiene('a'));

  const struct {
    const char* a;
    const char* b;
    int posizione, conta, atteso;
  } confronti[] = {{"abc", "abd", 0, 3, -1}, {"abc", "ab", 0, 3, 1},  {"ab", "ab", 0, 5, 0},
                   {"xabc", "ab", 1, 2, 0},  {"a\xe0", "a", 0, 0, 0}, {"a\xe0", "aa", 0, 2, -1},
                   {"ab", "abc", 0, 3, -1},  {"ab", "x", 9, 1, -1}};
  for (const auto& c : confronti) {
    EXPECT_EQ(stringa(c.a).confronta(stringa(c.b), c.posizione, c.conta), c.atteso)
        << c.a << " " << c.b;
  }

  int posizione = -7;
  EXPECT_FALSE(stringa("abc").trova(stringa(""), &posizione));
  EXPECT_EQ(posizione, -7);
  EXPECT_TRUE(stringa("abcabc").trova(stringa("ca"), &posizione));
  EXPECT_EQ(posizione, 2);
  EXPECT_FALSE(stringa("ab").trova(stringa("abc"), &posizione));
  EXPECT_TRUE(stringa("abc").trova(stringa("c")));
}

TEST(Stringa, EditingOperations) {
  stringa ab("ab");
  Controlla(ab.fissaLunghezza(5), "ab   ", 5, 50);
  stringa abc("abc");
  Controlla(abc.fissaLunghezza(1), "a", 1, 50);

  stringa parte;
  parte.sottostringa(stringa("hello"), 1, 3);
  Controlla(parte, "ell", 3, 50);
  parte.sottostringa(stringa("hello"), 1, 0);
  Controlla(parte, "", 0, 50);
  parte.sottostringa(stringa("hello"), 3, 5);  // the terminator is copied in
  Controlla(parte, "lo", 3, 50);

  const struct {
    const char* sorgente;
    int primo;
    const char* atteso;
    int num;
  } tagli[] = {{"a,b", 0, "a,", 3},
               {"ab", 0, "ab,", 2},
               {"ab", 2, "", 0},
               {"ab", 5, "", 0},
               {"x,y,z", 2, "y,", 3}};
  for (const auto& t : tagli) {
    stringa pezzo("vecchio");
    pezzo.finoA(stringa(t.sorgente), t.primo, ',');
    EXPECT_STREQ(pezzo.str, t.atteso) << t.sorgente;
    EXPECT_EQ(pezzo.num, t.num) << t.sorgente;
  }

  stringa maiuscole("Ab1\xe0");
  maiuscole.maiuscolo();
  EXPECT_STREQ(maiuscole.str, "AB1\xe0");
  maiuscole.minuscolo();
  EXPECT_STREQ(maiuscole.str, "ab1\xe0");
}

TEST(Stringa, SostituisciReplacesLeftToRightWithinNum) {
  const struct {
    const char* testo;
    const char* cerca;
    const char* sostituto;
    const char* atteso;
  } casi[] = {{"a-b-c", "-", "+", "a+b+c"},
              {"aaa", "a", "aa", "aaa"},  // cut at num characters
              {"abab", "ab", "x", "xx"},
              {"aaaa", "aa", "a", "aa"},  // replacements are never
                                          // scanned again
              {"abc", "", "x", "abc"},
              {"abc", "z", "x", "abc"},
              {"", "a", "b", ""}};
  for (const auto& c : casi) {
    stringa s(c.testo);
    s.sostituisci(stringa(c.cerca), stringa(c.sostituto));
    EXPECT_STREQ(s.str, c.atteso) << c.testo;
  }
  stringa largo("ab");
  largo.caratteri();  // num 50: room for longer replacements
  largo.sostituisci(stringa("b"), stringa("bbb"));
  EXPECT_STREQ(largo.str, "abbb");
}

TEST(Stringa, RealeConvertsAndReportsLeftovers) {
  const struct {
    const char* testo;
    double valore;
    bool avanzo;
  } casi[] = {{"2.5", 2.5, false},
              {"2.5x", 2.5, true},
              {"", 0.0, false},
              {"abc", 0.0, true},
              {" -1e2", -100.0, false}};
  for (const auto& c : casi) {
    bool avanzo = !c.avanzo;
    EXPECT_DOUBLE_EQ(stringa(c.testo).reale(avanzo), c.valore) << c.testo;
    EXPECT_EQ(avanzo, c.avanzo) << c.testo;
  }
}

}  // namespace
