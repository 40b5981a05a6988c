#include "tffbuild.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "cnvcommon.h"
#include "host.h"
#include "safewrite.h"
#include "satutil.h"

void TffReset(TffState* st) {
  *st = TffState();
  memset(st->table, TFF_END, sizeof st->table);
  memset(st->slot, TFF_END, sizeof st->slot);
}

void TffError(TffState* st, const char* text) {
  st->error = 1;
  HostMsgBox(text, nullptr, HOST_CAP_ERROR, HOST_OK);
}

void TffWarning(const char* text) { HostMsgBox(text, nullptr, HOST_CAP_WARNING, HOST_OK); }

int TffArgs(TffState* st, const char* args) {
  // Counted before anything is stored: the table has three places.
  int tokens = 0;
  for (const char* p = args ? args : ""; *p;) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) break;
    ++tokens;
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  if (tokens > TFF_TOKENS) {
    TffError(st, "Command Line is TFFfile TLCfile Character");
    return 0;
  }
  st->count = 1;
  for (const char* p = args ? args : ""; *p;) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) break;
    size_t n = strcspn(p, " \t");
    char* t = st->tokens[st->count++];
    size_t keep = n < TFF_PATHLEN - 1 ? n : TFF_PATHLEN - 1;
    memcpy(t, p, keep);
    t[keep] = 0;
    p += n;
  }
  return st->count;
}

int TffFontRead(TffState* st, const char* path) {
  FILE* f = SatOpen(path, "rb");
  if (!f) return 0;
  uint8_t scratch[TFF_SIZE];
  size_t got = fread(scratch, 1, TFF_SIZE, f);
  fclose(f);
  if (got < TFF_SIZE) return -1;
  memcpy(st->table, scratch, TFF_SIZE);
  return 1;
}

int TffFontWrite(const TffState* st, const char* path) {
  char host[TFF_PATHLEN + 64];
  if (!SatHostPathTo(host, sizeof host, path)) return 0;
  SafeWrite sw;
  if (!SafeWriteOpen(&sw, host, "wb")) return 0;
  int failed = fwrite(st->table, 1, TFF_SIZE, sw.f.get()) != TFF_SIZE;
  return SafeWriteCommit(&sw, failed);
}

void TffGlyphAdd(TffState* st, const CnvPath* p, int pathNo) {
  // A path without vertices would end the glyph early and hide the rest.
  if (p->nv <= 0 || st->refused) return;
  char text[200];
  for (int j = 0; j < p->nv; ++j) {
    int32_t x = p->x[j], y = p->y[j];
    if (x < 0 || x > 15 || y < 0 || y > 15) {
      snprintf(text, sizeof text,
               "Vertex %d (%ld, %ld) of Path %d is Outside the Grid 0 .. 15\n\nCharacter Not Assigned", j + 1,
               (long)x, (long)y, pathNo);
      TffError(st, text);
      st->refused = 1;
      return;
    }
    if (x == 15 && y == 15) {
      snprintf(text, sizeof text,
               "Vertex %d (15, 15) of Path %d is the End Mark of the Font\n\nCharacter Not Assigned", j + 1,
               pathNo);
      TffError(st, text);
      st->refused = 1;
      return;
    }
  }
  for (int j = 0; j < p->nv; ++j) {
    if (st->next < TFF_VERTEX_ROOM)
      st->slot[st->next++] = (uint8_t)(p->x[j] * 16 + p->y[j]);
    else
      ++st->dropped;
  }
  if (st->next < TFF_SLOT) st->slot[st->next++] = TFF_END;
  ++st->polygons;
}

void TffCharRead(TffState* st, TlcIn* in) {
  std::unique_ptr<CnvPath> path(new CnvPath());
  CnvCell c;
  CnvBox b;
  CnvText t;
  int pathNo = 0;
  const char* line;
  while (!st->refused && (line = TlcNextLine(in)) != nullptr) {
    switch (TlcLineKind(line)) {
      case TLC_CELL:
        ReadC(in, &c);
        break;
      case TLC_BOX:
        if (!ReadB(in, &b)) TffError(st, "Box Record Read Error");
        break;
      case TLC_PATH:
        ++pathNo;
        if (ReadP(in, path.get()))
          TffGlyphAdd(st, path.get(), pathNo);
        else
          TffError(st, "Path Record Read Error");
        break;
      case TLC_TEXT:
        ReadT(in, &t);
        break;
      default:
        break;
    }
  }
}

namespace {

// The character file, named in upper case as the system names it.
int CharOpen(TlcIn* in, const char* charPath) {
  char host[3 * TFF_PATHLEN];
  in->open = 0;
  if (!charPath || !charPath[0] || !SatHostPathTo(host, sizeof host, PathUpper(charPath))) return 0;
  snprintf(in->path, sizeof in->path, "%s", host);
  in->open = TlcLineOpenFile(&in->src, in->path, 1);
  return in->open;
}

void CantWrite(TffState* st, const char* path) {
  char text[TFF_PATHLEN + 40];
  snprintf(text, sizeof text, "Unable to Write %s", path);
  TffError(st, text);
}

}  // namespace

int TffBuildOnce(TffState* st, const char* fontPath, const char* charPath, int ch, int assign) {
  char text[TFF_PATHLEN + 120];
  int r = TffFontRead(st, fontPath);
  if (r < 0) {
    TffWarning("Font File is the Wrong Length ... Erase it");
    return 0;
  }
  if (r == 0) {
    snprintf(text, sizeof text, "Font File %s is Missing ... New File will be Created", fontPath);
    if (HostMsgBox(text, nullptr, HOST_CAP_WARNING, HOST_OKCANCEL) != HOST_IDOK) return 0;
    memset(st->table, TFF_END, sizeof st->table);
    if (!TffFontWrite(st, fontPath)) {
      CantWrite(st, fontPath);
      return 0;
    }
  }
  std::unique_ptr<TlcIn> in(new TlcIn());
  if (!CharOpen(in.get(), charPath)) {
    TffWarning("Character TLC File is Missing");
    return 0;
  }
  st->hdr = CnvHdr();
  if (TlcFindHeader(in.get(), &st->hdr) < 0) TffError(st, "Header Record Read Error");
  TlcCloseRead(in.get());
  if (!assign || ch < 32 || ch > 127) return 0;

  memset(st->slot, TFF_END, sizeof st->slot);
  st->next = st->dropped = st->refused = st->polygons = 0;
  if (!CharOpen(in.get(), charPath)) {
    TffWarning("Character TLC File is Missing");
    return 0;
  }
  TffCharRead(st, in.get());
  TlcCloseRead(in.get());
  if (st->refused) return 0;
  if (st->next < TFF_SLOT) st->slot[st->next] = TFF_END;
  memcpy(&st->table[(ch - 32) * TFF_SLOT], st->slot, TFF_SLOT);
  if (!TffFontWrite(st, fontPath)) {
    CantWrite(st, fontPath);
    return 0;
  }
  if (st->dropped) {
    snprintf(text, sizeof text, "%d Vertices Do Not Fit the Slot of Character %c and are Left Out", st->dropped,
             ch);
    TffWarning(text);
  }
  snprintf(text, sizeof text, "%ld Polygons with %ld Vertices\nAssigned to Character %c (%d)", (long)st->hdr.np,
           (long)st->hdr.nv, ch, ch);
  HostMsgBox(text, "TffBuild", HOST_CAP_OWN, HOST_OK);
  return 1;
}

int TffBatch(TffState* st, int count) {
  snprintf(st->fontPath, sizeof st->fontPath, "%s", st->tokens[1]);
  snprintf(st->charPath, sizeof st->charPath, "%s", count >= 3 ? st->tokens[2] : "");
  st->ch = count >= 4 && st->tokens[3][0] ? (int)(unsigned char)st->tokens[3][0] : (int)TFF_NO_CHAR;
  if (count < 4) TffWarning("Character Not recognized in Batch Arguments ... Insert Character Manually");
  return TffBuildOnce(st, st->fontPath, st->charPath, st->ch, count == 4);
}
