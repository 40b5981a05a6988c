// The GDSII-to-TLC conversion: settings, the stream reader with its record
// table, the hierarchy passes and cell names, and the elements written as
// TLC cells. Platform-free; the program shows its dialogs around it and the
// host seam carries every message.
#ifndef QUIL_CONVERTERS_GDSIN_H
#define QUIL_CONVERTERS_GDSIN_H

#include <cstdint>
#include <cstdio>
#include <ctime>

#include "cnvcommon.h"
#include "cnvldm.h"
#include "layerset.h"

enum {
  GDSIN_NKEYS = 21,
  GDSIN_VALLEN = 256,
  GDSIN_MAXSTRUCT = 10000,
  GDSIN_MAXPTS = 1024,
  GDSIN_XYMAX = 8191,  // the most points one XY record holds
  GDSIN_ROWS = 4,
  GDSIN_FONTS = GDSIN_ROWS * 6 + 1,  // the rows, then the line delimiter
  GDSIN_OMITS = 12,
  GDSIN_STRLEN = 1023,  // longest string kept from a record
  GDSIN_NAMELEN = 32,    // cell names
  GDSIN_SNAMELEN = 255,  // structure names: told apart beyond the cut of their cell names
  GDSIN_MAXRANK = 24,
  GDSIN_HASH = 1 << 15,
  GDSIN_INBUF = 1 << 20,
};

// Setting slots in the order of the settings file.
enum {
  IK_CFN, IK_TPH, IK_LDF, IK_WR2, IK_LTA, IK_PUN, IK_LSU, IK_LZL, IK_MCL, IK_CTX, IK_COP,
  IK_CBB, IK_OMT, IK_MLF, IK_NAM, IK_WTX, IK_OLD, IK_LFT, IK_TOP, IK_RGT, IK_BOT,
};
// Keys and default values of the settings file, each list ended by a null.
extern const char* const GdsInKeys[GDSIN_NKEYS + 1];
extern const char* const GdsInDefaults[GDSIN_NKEYS + 1];
extern const char* const GdsInDisplayName;  // "GdsIn"

// Record types the conversion uses by name.
enum {
  GR_HEADER = 0x00, GR_BGNLIB = 0x01, GR_LIBNAME = 0x02, GR_UNITS = 0x03, GR_ENDLIB = 0x04,
  GR_BGNSTR = 0x05, GR_STRNAME = 0x06, GR_ENDSTR = 0x07, GR_BOUNDARY = 0x08, GR_PATH = 0x09,
  GR_SREF = 0x0A, GR_AREF = 0x0B, GR_TEXT = 0x0C, GR_LAYER = 0x0D, GR_DATATYPE = 0x0E,
  GR_WIDTH = 0x0F, GR_XY = 0x10, GR_ENDEL = 0x11, GR_SNAME = 0x12, GR_COLROW = 0x13,
  GR_NODE = 0x15, GR_TEXTTYPE = 0x16, GR_PRESENTATION = 0x17, GR_STRING = 0x19, GR_STRANS = 0x1A,
  GR_MAG = 0x1B, GR_ANGLE = 0x1C, GR_PATHTYPE = 0x21, GR_BOX = 0x2D, GR_BGNEXTN = 0x30,
  GR_ENDEXTN = 0x31, GR_LAST = 0x3C,
};

// Length rule of a record type: an exact length, any even length of at
// least 4, or 4 + 8n (points).
enum { GL_EXACT = 0, GL_ANY = 1, GL_POINTS = 2 };

struct GdsRecordRule {
  const char* name;  // null: a type the reader does not know (skipped)
  int lengthRule;
  int length;        // for GL_EXACT
  int dataType;      // -1: any
};
// The rule of type rt (0..GR_LAST); unknown types have a null name.
const GdsRecordRule* GdsRecordRuleOf(int rt);
// 1 when a record of type rt with length rl and data type dt is acceptable;
// else *what is 1 (length) or 2 (data type).
int GdsRecordCheck(int rl, int rt, int dt, int* what);

// Element kinds.
enum { GE_NONE = 0, GE_BOUNDARY, GE_SREF, GE_AREF, GE_TEXT };

struct GdsElement {
  int kind;
  int isPath;
  int layer, datatype;
  int32_t width;
  int sign;  // +1 flush, -1 extended
  int pathType;
  int32_t bgnExt, endExt;
  int orient;
  double mag, angle;
  int strans;
  int font, vjust, texttype;
  int cols, rows;
  char sname[GDSIN_SNAMELEN + 1];
  char text[GDSIN_STRLEN + 1];
  int n;
  int clamped;  // a coordinate was held to the TLC range
  int32_t x[GDSIN_MAXPTS], y[GDSIN_MAXPTS];
  int nAll;  // a boundary over the limit: all its points, kept to be split
  int32_t xAll[GDSIN_XYMAX], yAll[GDSIN_XYMAX];
};

struct GdsStruct {
  char name[GDSIN_SNAMELEN + 1];
  char cell[GDSIN_NAMELEN + 1];
  int rank;
  int defined;  // the pass that last met its definition
  int rankWarned;
  int written;  // its cell file was written in this run
};

struct GdsTextRowIn {
  int32_t size;  // TLC database units
  int font;      // 0..3, -1 none
  int texttype;  // 0..256, -1 none
  int mag, oren, just;
};

// The byte source: a file read through a buffer, or bytes in memory.
struct GdsSource {
  FILE* f;
  const unsigned char* mem;
  int64_t size;
  int64_t pos;  // bytes consumed
  size_t bufLen, bufPos;
  unsigned char buf[GDSIN_INBUF];
};

// Counts of one cell or of the run.
struct GdsInCounts {
  int64_t boxes, paths, texts, vertices, cells;
};

// What the Go command ends with.
enum { GI_ABORTED = 0, GI_DONE = 1, GI_ADDED = 2 };

struct GdsInState {
  char val[GDSIN_NKEYS][GDSIN_VALLEN];
  char font[GDSIN_FONTS][GDSIN_VALLEN];
  char omit[GDSIN_OMITS][GDSIN_VALLEN];
  GdsTextRowIn rows[GDSIN_ROWS];
  int delimCR;
  LayerSet sel;

  // Settings as a run takes them.
  double tlcScale;
  int lzl, mcl;
  int ctx, cop, cbb, omt, mlf, nam, wtx, old;

  // Paths of the run.
  char gdsPath[CNV_PATHLEN];
  char gdsName[CNV_PATHLEN], gdsExt[CNV_PATHLEN];
  char outFolder[CNV_PATHLEN];
  char date[40], time[40];
  struct tm now;
  int fixedNow;

  // Reader.
  GdsSource src;
  int rl, rt, dt;
  int64_t recPos;    // offset of the current record
  int firstHeader;   // the leading-zero allowance applies
  int passEnded;
  unsigned char data[65536];
  int abort;
  int* extAbort;
  FILE* listing;
  FILE* log;

  // Units.
  double G;          // GDS database units per user unit
  double metres;     // metres per user unit
  char unit[8];
  double f;          // TLC database units per GDS database unit
  int unitsSeen;
  int64_t cap, div, minDiv;

  // Structures.
  GdsStruct structs[GDSIN_MAXSTRUCT + 2];  // 1-based
  int nSt;
  int32_t hashName[GDSIN_HASH];
  int32_t hashUpper[GDSIN_HASH];
  int32_t hashCell[GDSIN_HASH];
  int pass;
  int changed;
  int cur, curRank, highRank, omitted;
  char curName[GDSIN_SNAMELEN + 1];

  // Conversion.
  GdsElement el;
  GdsInCounts cellCount, total, maxCount;
  int files;
  int cellOpen;
  int highestRank;
  int layers[256];
  int nLayers;
  LdmMap ldm;
  int xyWarned;

  // Program hooks, each may be null. The LDM question returns HOST_IDYES
  // (with *tlc filled), HOST_IDNO or HOST_IDCANCEL; the NEWNAME question
  // returns 1 with a new name in tried (33 bytes) or 0 to abort.
  int (*ldmAsk)(int gdsLayer, int datatype, int* tlc);
  int (*newName)(const char* structName, char* tried);
  void (*listLine)(const char* text);
  void (*counter)(int id, const char* text);  // DISPLAY counters and status lines
  void (*progress)(int percent);
};

// Defaults in every slot, tables emptied, hooks removed. The state is large
// (megabytes): the program keeps one static instance, tests allocate theirs;
// it must start zeroed, since open files it holds are closed here.
void GdsInReset(GdsInState* st);

// Completes the settings as the SETUP dialog's OK does; with check the GDS
// and LDM names are checked too. Returns the number of names that failed.
int GdsInSetupApply(GdsInState* st, int check);
// Completes the text rows (and writes the completed values back).
void GdsInTextApply(GdsInState* st);

// The stream reader on a file already open or on bytes in memory.
void GdsSourceFile(GdsSource* s, FILE* f);
void GdsSourceMem(GdsSource* s, const unsigned char* data, int64_t size);
void GdsSourceRewind(GdsSource* s);

// Record header; 1 read, 0 stopped (message shown, abort set).
int GdsReadHeader(GdsInState* st);
// Data of the current record (after the header).
int GdsSkip(GdsInState* st);
int GdsReadInt2(GdsInState* st, int k);  // the k-th two-byte value (record data read)
int32_t GdsReadInt4Raw(GdsInState* st, int k);
// Reads the record's data into the data buffer; 1 when all was read.
int GdsReadData(GdsInState* st);
// String of the current record, cut to max characters with a message.
void GdsString(GdsInState* st, char* out, int max);
// Four-byte value k of the data read, counted into the resolution divisor.
int32_t GdsInt4(GdsInState* st, int k);
// A GDS coordinate in TLC database units, rounded and held to the TLC range.
int32_t GdsCoord(GdsInState* st, int32_t v, int* clamped);

// Units from the two reals of a UNITS record; 0 with the message when they
// can't be used.
int GdsUnitsSet(GdsInState* st, double userPerDb, double metresPerDb, int firstPass);

// Resolution divisor after a value v.
void GdsDivisorAdd(GdsInState* st, int32_t v);

// Hierarchy passes and the cell names; 1 on success.
int GdsHierarchy(GdsInState* st);
int GdsCellNames(GdsInState* st);
// 1 when the name is unusable as a cell name now.
int GdsNameBad(GdsInState* st, const char* name);
// Index of the structure with this exact name, 0 when absent.
int GdsStructFind(GdsInState* st, const char* name);

// The conversion pass; 1 on success.
int GdsConvertPass(GdsInState* st);

// The whole conversion; 1 when it completed.
int GdsInConvert(GdsInState* st);
// The closing of a run: writes the extended map, fills text with the
// message; GI_DONE, GI_ADDED or GI_ABORTED.
int GdsInClosing(GdsInState* st, int converted, char* text, int size);
// Convert, then the closing message shown. GI_DONE, GI_ADDED or GI_ABORTED.
int GdsInGo(GdsInState* st);

// Notes to the message list and the log.
void GdsInList(GdsInState* st, const char* text);

#endif
