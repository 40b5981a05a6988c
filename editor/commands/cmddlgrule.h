// What the command dialogs do with their fields on OK and on their other
// buttons, apart from the window: the dialog procedures read the controls,
// call these and show what they return.
#ifndef QUIL_EDITOR_COMMANDS_CMDDLGRULE_H
#define QUIL_EDITOR_COMMANDS_CMDDLGRULE_H

#include <cstddef>
#include <cstdint>

#include "mainsetup.h"

enum {
  DLG_DIGITS_LENGTH = 9,  // lengths in physical units
  DLG_DIGITS_VALUE = 6,   // angles and the RES/CAP values
  DLG_DIGITS_POLAR = 4,
  SCALE_MAX = 536870912,
  SCALE_DEFAULT = 1000,
};

// A stored database-unit length in physical units: value / scale as the
// shortest form of at most digits significant digits.
void DlgLength(char* out, size_t size, double dbu, double scale);
// Any number at digits significant digits.
void DlgNumber(char* out, size_t size, double v, int digits);
// A field's text as a decimal number: 1 when the whole text (blanks
// around it aside) is one finite number.
int DlgNumberRead(const char* text, double* v);

// SCALE on OK: the magnitude of a whole number 1..536870912; 0 or a text
// that is no number gives 1000. Returns 1 with the scale, 0 when the value
// can't be a scale (a fraction, too large): the dialog shows again.
int ScaleAccept(const char* text, double* scale);

// STEP on OK: counts as whole numbers, distances RoundNear(number x
// scale). 1 taken, 0 when a field is not a number or out of range.
struct StepSettings {
  int32_t nx, ny;
  int32_t dx, dy;
  int sequential;
};
int StepAccept(const char* nx, const char* dx, const char* ny, const char* dy, int sequential, double scale,
               StepSettings* out);

// RES: the row of the sheet-resistance table after a step of delta
// (the ">" and "<" buttons), within 1..32.
int ResRowStep(int row, int delta);
// The row's description: long form (kind 0, text 1233 when the dialog
// opens) or the short form the row buttons show (kind 1).
void ResRowText(char* out, size_t size, int row, int kind);

// CNFG: the check boxes and the settings they stand for.
struct CnfgCheck {
  int id;
  int32_t MainSetupState::*key;
};
extern const CnfgCheck CnfgChecks[17];
// The bits 1, 2 and 4 of smallcelloutl= (check boxes 1331, 1333, 1334).
extern const int CnfgOutlineIds[3];

// What the CNFG dialog hands over on OK.
struct CnfgForm {
  char wgrid[GRID_PRESETS][64];
  char dgrid[GRID_PRESETS][64];
  char drawres[64], celldrawres[64], aspect[64];
  char common[256];
  int checks[17];      // in the order of CnfgChecks
  int outline[3];      // in the order of CnfgOutlineIds
};
// The form filled from the settings (physical units for the presets).
void CnfgFormFill(CnfgForm* f);
enum { CNFG_AGAIN = -1, CNFG_RELAYOUT = 1, CNFG_RESTART = 2 };
// Stores the form: presets as the magnitude of RoundNear(number x scale),
// drawres= at least 50, celldrawres= at least 10, aspect= within 0.5..2.
// Returns CNFG_RELAYOUT when winemods=, cntrtools=, texttoolbar= or
// aspect= changed, CNFG_RESTART when flashsave= did; CNFG_AGAIN (nothing
// stored) when a numeric field holds no number.
int CnfgApply(const CnfgForm& f);

#endif
