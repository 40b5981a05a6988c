// Settings of the rule checker, kept as texts in QuilDrc.usf of the drawing
// folder, and the normalisation every change goes through.
#ifndef QUIL_DRC_SETUP_H
#define QUIL_DRC_SETUP_H

struct DrcState;

enum DrcKey {
  K_CLN, K_CKF, K_WR2, K_CSN, K_CFN, K_HCL, K_PTM, K_RSCL, K_RES, K_DIS, K_ARP, K_MSZ, K_CKL,
  K_CKB, K_WL, K_WB, K_WR, K_WT, K_ENH, K_ENP, K_ERS, K_EPX, K_LFT, K_TOP, K_RGT, K_BOT, K_COUNT,
};

enum { DRC_RECENT = 16 };

struct DrcSettings {
  char v[K_COUNT][256];
  char rdp[DRC_RECENT][260], rdf[DRC_RECENT][260];
  int pauseSeconds, fileLimit;       // kept as numbers by the apply step
  // A checking window from the command line or Fit, not yet applied.
  int pending;
  double pendL, pendB, pendR, pendT;
  // What the restart point belongs to: cell, rule file, window and check
  // range as they were when it was made; any change clears it.
  char owner[1400];
};

// A global because it is a constant table, the same for every run.
extern const char* const DrcKeyName[K_COUNT];

void DrcSetupReset(DrcState& st);           // the defaults
// Reads the file; 0 when missing (defaults stay), else 1.
int DrcUsfRead(DrcState& st, const char* path);
// Applies, then writes; 1 when the file cannot be created, else 0.
int DrcUsfWrite(DrcState& st, const char* path);
// Normalises the record (scale and unit from the shared state). Name checks
// are the program's (it shows their messages); here they are skipped.
void DrcSetupApply(DrcState& st, int nameChecks);
// "Y" or "y" exactly.
int DrcFlag(const DrcState& st, int key);
// Value with 9 significant digits and the physical unit; empty stays empty.
void DrcFieldNormalise(DrcState& st, int key);
double DrcNum(const DrcState& st, int key);
// The restart point: the current area's left and bottom and the check in
// progress; cleared after a complete run.
void DrcRestartSave(DrcState& st, double left, double bottom, int check);
void DrcRestartClear(DrcState& st);
void DrcOverrideClear(DrcState& st);
// The main setup's scale= that the shared reader did not take (zero,
// negative or no number) is said in a warning naming `used`, the scale the
// program goes on with. 1 when such a line was found.
int DrcMainScaleCheck(const char* path, double used);

#endif
