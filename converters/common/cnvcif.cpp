#include "cnvcif.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "satutil.h"

void CifSrcSet(CifSrc* s, const void* data, size_t size) {
  s->data = static_cast<const unsigned char*>(data);
  s->size = data ? size : 0;
  s->pos = 0;
  s->ch = 0;
  s->cls = CIF_SEP;
}

int CifClass(int c) {
  if (c == ';') return CIF_SEMI;
  if (c == '(') return CIF_OPEN;
  if (c == ')') return CIF_CLOSE;
  if (c >= 'A' && c <= 'Z') return CIF_UPPER;
  if (c >= '0' && c <= '9') return CIF_DIGIT;
  if (c == '-') return CIF_MINUS;
  if (c >= 'a' && c <= 'z') return CIF_LOWER;
  return CIF_SEP;
}

int CifGetChar(CifSrc* s) {
  if (s->pos >= s->size) {
    s->ch = 0;
    s->cls = CIF_END;
    return CIF_END;
  }
  s->ch = s->data[s->pos++];
  s->cls = CifClass(s->ch);
  return s->cls;
}

int CifMore(const CifSrc* s) { return s->cls != CIF_SEMI && s->cls != CIF_END; }

void CifSkipCommand(CifSrc* s) {
  if (s->cls == CIF_SEMI) return;
  // Bytes up to the next ';' in one step: the reader passes over long
  // comments and unknown commands.
  const void* hit = s->pos < s->size ? memchr(s->data + s->pos, ';', s->size - s->pos) : nullptr;
  if (!hit) {
    s->pos = s->size;
    s->ch = 0;
    s->cls = CIF_END;
    return;
  }
  s->pos = (size_t)(static_cast<const unsigned char*>(hit) - s->data) + 1;
  s->ch = ';';
  s->cls = CIF_SEMI;
}

int CifGetName(CifSrc* s, char* out, int size) {
  int n = 0;
  if (size > 0) out[0] = 0;
  if (!CifMore(s)) return 0;
  for (;;) {
    int c = CifGetChar(s);
    if (c == CIF_END || c == CIF_SEMI) break;
    if (c == CIF_UPPER || c == CIF_DIGIT) {
      if (n + 1 < size) out[n++] = (char)s->ch;
      continue;
    }
    if (c == CIF_SEP && n > 0) break;
  }
  if (size > 0) out[n < size ? n : size - 1] = 0;
  return n;
}

int CifGetInt(CifSrc* s, int64_t* v, int sign) {
  int64_t a = 0;
  int digits = 0, neg = 0;
  *v = 0;
  if (!CifMore(s)) return 0;
  for (;;) {
    int c = CifGetChar(s);
    if (c == CIF_END || c == CIF_SEMI) break;
    if (c == CIF_DIGIT) {
      const int64_t cap = (int64_t)1 << 62;
      a = a > (cap - 9) / 10 ? cap : a * 10 + (s->ch - '0');
      ++digits;
      continue;
    }
    if (c == CIF_MINUS && sign) {
      neg = 1;
      continue;
    }
    if (digits && c == CIF_UPPER) {
      // The letter opens the next part of the command: left for the caller.
      --s->pos;
      s->cls = CIF_SEP;
      break;
    }
    if (digits && c == CIF_SEP) break;
  }
  *v = neg ? -a : a;
  return digits > 0;
}

namespace {

// The last characters of the word being collected.
struct Tail {
  char c[8] = {};
  int n = 0;
  void Clear() { n = 0; }
  // Adds ch; 1 when the word now ends with key (at most 7 characters).
  int Add(int ch, const char* key) {
    if (n == 7) {
      memmove(c, c + 1, 6);
      n = 6;
    }
    c[n++] = (char)ch;
    c[n] = 0;
    size_t k = strlen(key);
    return (size_t)n >= k && strcmp(c + n - k, key) == 0;
  }
};

// One layer-file command (the text between two ';'): "(... LAYER n ...
// CIF= name ...)". 1 with the row filled.
int LayerCommand(const unsigned char* t, size_t len, int strict, CifLayerRow* row) {
  size_t i = 0;
  while (i < len && t[i] != '(') ++i;
  if (i >= len) return 0;
  ++i;
  // The word LAYER: upper-case letters in a row; a separator starts again.
  Tail w;
  for (; i < len; ++i) {
    int cls = CifClass(t[i]);
    if (cls == CIF_LOWER && !strict) continue;
    if (cls != CIF_UPPER) {
      w.Clear();
      continue;
    }
    if (w.Add(t[i], "LAYER")) break;
  }
  if (i >= len) return 0;
  ++i;
  // The TLC layer.
  int64_t layer = 0;
  int digits = 0;
  for (; i < len; ++i) {
    if (t[i] >= '0' && t[i] <= '9') {
      if (layer < 100000) layer = layer * 10 + (t[i] - '0');
      ++digits;
    } else if (digits) {
      break;
    }
  }
  if (!digits) return 0;
  // Up to "CIF=": any characters but separators (besides '=').
  w.Clear();
  for (; i < len; ++i) {
    int c = t[i];
    if (!strict && c >= 'a' && c <= 'z') c -= 'a' - 'A';
    if (CifClass(c) == CIF_SEP && c != '=') {
      w.Clear();
      continue;
    }
    if (w.Add(c, "CIF=")) break;
  }
  if (i >= len) return 0;
  ++i;
  CifSrc s;
  CifSrcSet(&s, t + i, len - i);
  char name[64];
  CifGetName(&s, name, sizeof name);
  if (!name[0] || layer < 1 || layer > 256) return 0;
  row->tlc = (int)layer;
  snprintf(row->name, sizeof row->name, "%.*s", CIF_LAYERNAME, name);
  return 1;
}

}  // namespace

int CifLayerTextRead(const void* data, size_t size, CifLayerRow* rows, int max, int strict, int* more) {
  const unsigned char* t = static_cast<const unsigned char*>(data);
  int n = 0;
  if (more) *more = 0;
  size_t start = 0;
  while (t && start < size) {
    const void* hit = memchr(t + start, ';', size - start);
    size_t end = hit ? (size_t)(static_cast<const unsigned char*>(hit) - t) : size;
    CifLayerRow row;
    if (LayerCommand(t + start, end - start, strict, &row)) {
      if (n < max)
        rows[n++] = row;
      else if (more)
        ++*more;
    }
    start = end + 1;
  }
  return n;
}

unsigned char* CifFileLoad(const char* path, size_t* size) {
  *size = 0;
  FILE* f = (path && *path) ? SatOpen(path, "rb") : nullptr;
  if (!f) return nullptr;
  // One block of the file's size, read at once; a file that grows while it
  // is read is taken as far as that block goes.
  long len = fseek(f, 0, SEEK_END) == 0 ? ftell(f) : -1;
  if (len < 0 || fseek(f, 0, SEEK_SET) != 0) {
    fclose(f);
    return nullptr;
  }
  unsigned char* buf = static_cast<unsigned char*>(malloc((size_t)len + 1));
  size_t n = buf ? fread(buf, 1, (size_t)len, f) : 0;
  if (buf && ferror(f)) {
    free(buf);
    buf = nullptr;
  }
  fclose(f);
  if (buf) *size = n;
  return buf;
}

int CifLayerFileRead(const char* path, CifLayerRow* rows, int max, int strict, int* more) {
  size_t size = 0;
  unsigned char* data = CifFileLoad(path, &size);
  if (more) *more = 0;
  if (!data) return 0;
  int n = CifLayerTextRead(data, size, rows, max, strict, more);
  free(data);
  return n;
}
