// The satellites' TLC writer. Every write is checked, so a full disk or a
// lost file ends as a failed close instead of a cell that looks complete.
#include <cstdarg>
#include <cstring>

#include "q7tlcrw.h"
#include "safewrite.h"
#include "satlib.h"
#include "satutil.h"

TlcWriterState TlcWriter;
int& WriteOldTlc = TlcWriter.oldForm;
FILE*& wTLCfile = TlcWriter.file;

namespace {

void Put(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void Put(const char* fmt, ...) {
  if (!TlcWriter.file) {
    TlcWriter.failed = 1;
    return;
  }
  va_list ap;
  va_start(ap, fmt);
  if (vfprintf(TlcWriter.file, fmt, ap) < 0) TlcWriter.failed = 1;
  va_end(ap);
}

void Open(char tag) {
  if (TlcWriter.oldForm)
    Put("=%c\n", tag);
  else
    Put("<%c>\n", tag);
}

void Close(char tag) {
  if (!TlcWriter.oldForm) Put("</%c>\n", tag);
}

}  // namespace

int TlcOutputSet(const char* folder) {
  TlcWriter.drive[0] = '\0';
  TlcWriter.folder[0] = '\0';
  if (!folder) return 1;
  if (strlen(folder) >= sizeof TlcWriter.folder) return 0;
  if (folder[0] && folder[1] == ':') {
    TlcWriter.drive[0] = folder[0];
    TlcWriter.drive[1] = ':';
    TlcWriter.drive[2] = '\0';
    folder += 2;
  }
  snprintf(TlcWriter.folder, sizeof TlcWriter.folder, "%s", folder);
  return 1;
}

// The tidied cell file path of name; 0 when too long.
static int CellPath(char* out, size_t size, const char* name) {
  out[0] = '\0';
  if (!name || !name[0]) return 0;
  char raw[SAT_PATH_SIZE + 8];
  int n = snprintf(raw, sizeof raw, "%s%s%s.tlc", TlcWriter.drive, TlcWriter.folder, name);
  if (n < 0 || (size_t)n >= SAT_PATH_SIZE) return 0;
  if (!PathFixTo(out, size, raw)) {
    out[0] = '\0';
    return 0;
  }
  return 1;
}

int SatTlcCreate(const char* name) {
  TlcWriter.failed = 0;
  TlcWriter.path[0] = '\0';
  TlcWriter.scratch[0] = '\0';
  if (TlcWriter.file) {
    fclose(TlcWriter.file);
    TlcWriter.file = nullptr;
  }
  if (!CellPath(TlcWriter.path, sizeof TlcWriter.path, name)) return 0;
  if (TlcWriter.hold && !SafeWriteScratchName(TlcWriter.scratch, sizeof TlcWriter.scratch, TlcWriter.path))
    return 0;
  TlcWriter.file = SatOpen(TlcWriter.hold ? TlcWriter.scratch : TlcWriter.path, "w");
  if (!TlcWriter.file) {
    TlcWriter.scratch[0] = '\0';
    return 0;
  }
  if (!TlcWriter.oldForm) Put("<?xml version=\"1.0\"?>\n<TLC>\n");
  return 1;
}

void WriteH() {
  Open('H');
  Put("%s\n%s\n%s\n%.*g\n%s\n%s\n%s\n", TLCh.name, QUIL_VERSION, QUIL_VERSION, 9, TLCh.scale, TLCh.unit,
      TLCh.date, TLCh.time);
  Put("%d %d %d %d %d\n", (int)TLCh.rank, (int)TLCh.l, (int)TLCh.b, (int)TLCh.r, (int)TLCh.t);
  Put("%d %d %d %d\n", (int)TLCh.nb, (int)TLCh.np, (int)TLCh.nv, (int)TLCh.nc);
  Close('H');
}

void WriteC(int level) {
  if (level < 0 || level > NRANK + 1) return;
  const tlccel& c = TLCc[level];
  Open('C');
  Put("%s\n%d %d %d %d\n", c.name, (int)c.o, (int)c.x, (int)c.y, 0);
  Close('C');
}

void WriteB() {
  TlcRighteousBox(&TLCb);
  Open('B');
  Put("%d %d %d %d %d\n", (int)TLCb.lyr, (int)TLCb.l, (int)TLCb.b, (int)TLCb.r, (int)TLCb.t);
  Close('B');
}

void WriteP() {
  int32_t nv = TLCp.nv < 0 ? 0 : (TLCp.nv > PVSIZ ? PVSIZ : TLCp.nv);
  Open('P');
  Put("%d %d %d\n", (int)TLCp.lyr, (int)TLCp.w, (int)nv);
  for (int32_t i = 0; i < nv; ++i) {
    Put("%d %d ", (int)TLCp.x[i], (int)TLCp.y[i]);
    if ((i + 1) % 5 == 0) Put("\n");
  }
  if (nv % 5) Put("\n");
  Close('P');
}

void WriteT() {
  Open('T');
  Put("%d %d %d %d\n%d %d\n", (int)TLCt.lyr, (int)TLCt.size, (int)TLCt.nv, (int)TLCt.o, (int)TLCt.x,
      (int)TLCt.y);
  if (TlcWriter.oldForm)
    Put("%s\n", TLCt.text);
  else
    Put("<![CDATA[%s]]>\n", TLCt.text);
  Close('T');
}

int TlcWriteClose() {
  if (!TlcWriter.file) return 0;
  if (!TlcWriter.oldForm) Put("</TLC>\n");
  if (ferror(TlcWriter.file)) TlcWriter.failed = 1;
  if (fclose(TlcWriter.file) != 0) TlcWriter.failed = 1;
  TlcWriter.file = nullptr;
  // A held cell that failed goes; a complete one waits for TlcSettle.
  if (TlcWriter.scratch[0] && TlcWriter.failed) SatRemove(TlcWriter.scratch);
  TlcWriter.scratch[0] = '\0';
  return !TlcWriter.failed;
}

void TlcAbandon() {
  if (!TlcWriter.file) return;
  fclose(TlcWriter.file);
  TlcWriter.file = nullptr;
  if (TlcWriter.scratch[0])
    SatRemove(TlcWriter.scratch);
  else if (TlcWriter.path[0])
    SatRemove(TlcWriter.path);
  TlcWriter.scratch[0] = '\0';
}

int TlcSettle(const char* name, int keep) {
  char path[sizeof TlcWriter.path], scratch[sizeof TlcWriter.scratch];
  if (!CellPath(path, sizeof path, name) || !SafeWriteScratchName(scratch, sizeof scratch, path)) return 0;
  if (keep) return SatReplace(scratch, path);
  SatRemove(scratch);
  return 0;
}
