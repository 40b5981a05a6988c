#include "drc_rules.h"

#include <cctype>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <cstring>


void DrcRuleSrcFile(DrcRuleSrc* s, FILE* f) {
  std::memset(s, 0, sizeof *s);
  s->f = f;
}

void DrcRuleSrcMem(DrcRuleSrc* s, const char* data, size_t len) {
  std::memset(s, 0, sizeof *s);
  s->buf = reinterpret_cast<const unsigned char*>(data);
  s->len = len;
}

namespace {

int RawGet(DrcRuleSrc* s) {
  if (s->eof) return EOF;
  int c;
  if (s->f) {
    c = std::fgetc(s->f);
  } else {
    c = s->pos < s->len ? s->buf[s->pos++] : EOF;
  }
  if (c == EOF) s->eof = 1;
  return c;
}

// The rest of the current line: at most cap - 1 characters are kept, the
// others are read and dropped; the line end is removed.
void RestOfLine(DrcRuleSrc* s, char* out, size_t cap) {
  size_t n = 0;
  for (;;) {
    int c = RawGet(s);
    if (c == EOF || c == '\n') break;
    if (n + 1 < cap) out[n++] = (char)c;
  }
  while (n > 0 && (out[n - 1] == '\r')) --n;
  out[n] = 0;
}

void SkipLine(DrcRuleSrc* s) {
  for (;;) {
    int c = RawGet(s);
    if (c == EOF || c == '\n') return;
  }
}

double Value(DrcRuleSrc* s) {
  char v[DRC_VALUE];
  RestOfLine(s, v, sizeof v);
  return std::fabs(std::atof(v));
}

void Trim(char* t);
void Fault(DrcCheckRec& chk, const char* text);

// DISTANCE sets what every check measures, so a value that is not a finite
// number followed by a blank or the line end ("0,2", "O.2", "inf") is a
// fault rather than a silent 0.
double DistanceValue(DrcCheckRec& chk, DrcRuleSrc* s) {
  char v[DRC_VALUE];
  RestOfLine(s, v, sizeof v);
  Trim(v);
  char* end = v;
  double d = 0;
  if (v[0] == '+' || v[0] == '-' || v[0] == '.' || (v[0] >= '0' && v[0] <= '9')) d = std::strtod(v, &end);
  if (end == v || !std::isfinite(d) || (*end && *end != ' ' && *end != '\t')) {
    char t[160];
    std::snprintf(t, sizeof t, "DISTANCE is not a Number: \"%.100s\"", v);
    Fault(chk, t);
    return 0;
  }
  return std::fabs(d);
}

void Trim(char* t) {
  char* p = t;
  while (*p == ' ' || *p == '\t') ++p;
  std::memmove(t, p, std::strlen(p) + 1);
  size_t n = std::strlen(t);
  while (n > 0 && (t[n - 1] == ' ' || t[n - 1] == '\t')) t[--n] = 0;
}

void Fault(DrcCheckRec& chk, const char* text) {
  if (!chk.fault[0]) std::snprintf(chk.fault, sizeof chk.fault, "%s", text);
}

bool Kept(int cls, int c) {
  return cls == CC_LETTER || cls == CC_DIGIT || cls == CC_COMMA || cls == CC_MINUS || c == '.';
}

// The OPERATORS list after its "{" or "<".
void ReadOperators(DrcCheckRec& chk, DrcRuleSrc* s) {
  char line[DRC_OPMAX + 1];
  size_t n = 0;
  bool tooLong = false;
  auto store = [&]() {
    line[n] = 0;
    if (tooLong) {
      Fault(chk, "Operator Line Longer than 100 Characters");
    } else if (n > 0) {
      if (chk.nops < DRC_OPS) std::snprintf(chk.op[chk.nops++], DRC_OPLEN, "%s", line);
      else Fault(chk, "More than 100 Operator Lines in Check");
    }
    n = 0;
    tooLong = false;
  };
  for (;;) {
    int c = DrcCharClass(s);
    if (s->eof) {
      store();
      return;
    }
    int cls = s->cls;
    if (cls == CC_CLOSE || cls == CC_CLOSE2) {
      store();
      return;
    }
    if (cls == CC_EOL) {
      store();
      continue;
    }
    if (cls == CC_COMMENT || cls == CC_STAR) {
      // A comment runs to the end of its line, however long.
      SkipLine(s);
      store();
      continue;
    }
    if (Kept(cls, c)) {
      if (n < DRC_OPMAX) line[n++] = (char)c;
      else tooLong = true;
    }
  }
}

}  // namespace

int DrcCharClass(DrcRuleSrc* s) {
  int c = RawGet(s);
  if (c == EOF) {
    s->cls = CC_OTHER;
    return ' ';
  }
  if (c == '\n') {
    s->cls = CC_EOL;
    return c;
  }
  if (c < 0x20 || c == 0x7f) {
    s->cls = CC_OTHER;
    return ' ';
  }
  switch (c) {
    case ';': s->cls = CC_COMMENT; break;
    case '{': s->cls = CC_OPEN; break;
    case '}': s->cls = CC_CLOSE; break;
    case ',': s->cls = CC_COMMA; break;
    case '-': s->cls = CC_MINUS; break;
    case '=': s->cls = CC_EQUALS; break;
    case '<': s->cls = CC_OPEN2; break;
    case '>': s->cls = CC_CLOSE2; break;
    case '*': s->cls = CC_STAR; break;
    default:
      if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) s->cls = CC_LETTER;
      else if (c >= '0' && c <= '9') s->cls = CC_DIGIT;
      else s->cls = CC_OTHER;
  }
  return c;
}

void DrcCheckReset(DrcCheckRec& chk) { std::memset(&chk, 0, sizeof chk); }

int DrcCheckRead(DrcCheckRec& chk, DrcRuleSrc* s) {
  chk.counter++;
  chk.title[0] = 0;
  chk.nops = 0;
  chk.resolutionGiven = 0;
  chk.ckl[0] = chk.ckb[0] = 0;
  chk.locationGiven = 0;
  chk.anything = 0;
  chk.reachedEof = 0;
  chk.fault[0] = 0;

  char key[8];
  size_t kn = 0;  // characters of the keyword seen (only two count)
  for (;;) {
    int c = DrcCharClass(s);
    if (s->eof) {
      chk.reachedEof = 1;
      return -1;
    }
    int cls = s->cls;
    if (cls == CC_EOL) {
      kn = 0;
      continue;
    }
    if (cls != CC_EQUALS) {
      if (cls == CC_LETTER || cls == CC_DIGIT || cls == CC_COMMA || cls == CC_MINUS || cls == CC_COMMENT ||
          cls == CC_STAR) {
        if (kn < sizeof key) key[kn] = (char)std::toupper(c);
        ++kn;
      }
      continue;
    }
    char k0 = kn > 0 ? key[0] : 0, k1 = kn > 1 ? key[1] : 0;
    kn = 0;
    if (k0 == 'T' && k1 == 'I') {
      char v[DRC_VALUE];
      RestOfLine(s, v, sizeof v);
      size_t n = std::strlen(v);
      if (n > DRC_TITLE - 2) n = DRC_TITLE - 2;  // 99 characters
      std::memcpy(chk.title, v, n);
      chk.title[n] = 0;
      chk.anything = 1;
    } else if (k0 == 'R' && k1 == 'E') {
      chk.RESOLUTION = Value(s);
      chk.resolutionGiven = 1;
      chk.anything = 1;
    } else if (k0 == 'D' && k1 == 'I') {
      chk.DISTANCE = DistanceValue(chk, s);
      chk.anything = 1;
    } else if (k0 == 'G' && k1 == 'U') {
      chk.GUARDBAND = Value(s);
      chk.anything = 1;
    } else if (k0 == 'L' && k1 == 'O') {
      char v[DRC_VALUE];
      RestOfLine(s, v, sizeof v);
      char* comma = std::strchr(v, ',');
      if (comma) {
        *comma = 0;
        char* second = comma + 1;
        char* next = std::strchr(second, ',');
        if (next) *next = 0;
        std::snprintf(chk.ckb, sizeof chk.ckb, "%s", second);
      }
      std::snprintf(chk.ckl, sizeof chk.ckl, "%s", v);
      Trim(chk.ckl);
      Trim(chk.ckb);
      chk.locationGiven = 1;
      chk.anything = 1;
    } else if (k0 == 'O' && k1 == 'P') {
      chk.anything = 1;
      for (;;) {
        DrcCharClass(s);
        if (s->eof) {
          chk.reachedEof = 1;
          Fault(chk, "OPERATORS without \"{\"");
          return 0;
        }
        if (s->cls == CC_OPEN || s->cls == CC_OPEN2) break;
        if (s->cls == CC_LETTER) {
          Fault(chk, "OPERATORS without \"{\"");
          return 0;
        }
      }
      ReadOperators(chk, s);
      if (s->eof) chk.reachedEof = 1;
      return 1;
    } else {
      // Unknown keyword or a comment line: its value goes with it.
      SkipLine(s);
    }
  }
}
