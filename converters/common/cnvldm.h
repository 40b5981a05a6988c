// The LDM layer map file shared by the GDSII writer and reader: which GDS
// layer and datatype go with which TLC layer. A comment line "*LDM built
// from <name>", then one "gds,datatype,tlc" line per entry.
#ifndef QUIL_CONVERTERS_CNVLDM_H
#define QUIL_CONVERTERS_CNVLDM_H

enum { LDM_MAX = 256 };

struct LdmEntry {
  int gds, datatype, tlc;
};

struct LdmMap {
  LdmEntry e[LDM_MAX];
  int n;
  int added;  // entries were appended during the run
};

void LdmMapClear(LdmMap* m);

// Reads the map file. A missing file asks "LDM File <name> will be Created
// ... OK?" with the caption given; Yes writes the two header lines (built
// from builtFrom) and leaves the map empty. 1 on success; 0 when the file
// is refused, unreadable or holds a malformed or out-of-range entry (then
// the map is empty): a GDS layer or datatype above maxNumber (what the
// converter's side of the map can hold), a TLC layer outside 1..256. More
// than LDM_MAX entries stop the read with a message.
int LdmMapRead(LdmMap* m, const char* path, const char* caption, const char* builtFrom, int maxNumber);

// Writes every entry after the header lines; 1 when all reached the file.
int LdmMapWrite(const LdmMap* m, const char* path, const char* builtFrom);

// Appends an entry; 0 when the map is full (nothing appended).
int LdmMapAdd(LdmMap* m, int gds, int datatype, int tlc);

#endif
