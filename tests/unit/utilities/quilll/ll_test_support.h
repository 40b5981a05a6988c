// A layer-logic state on the heap with the settings slots at their defaults,
// and small helpers to fill maps and read them back.
#ifndef QUIL_TESTS_LL_SUPPORT_H
#define QUIL_TESTS_LL_SUPPORT_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ll.h"
#include "satlib.h"
#include "satsetup.h"

inline const SatProgram* LlTestProgram() {
  static SatProgram p = {};
  p.displayName = "QuilLL";
  p.keys = LlKeys;
  p.defaults = LlDefaults;
  p.edition = &SatEditionPlain;
  return &p;
}

// Fresh state, scale 1000 um, slots at their defaults, map cell `m` units.
inline std::unique_ptr<LlState> LlFresh(int64_t m = 1) {
  SatProgramSet(LlTestProgram());
  SatSetup = SatSetupState();
  CellInfoReset();
  auto st = std::make_unique<LlState>();
  st->abortFlag = 0;
  EXPECT_EQ(LlMapsAlloc(*st), 1);
  st->set.m = m;
  st->scale = 1000;
  st->set.bl = st->set.bb = 0;
  st->set.br = st->set.bt = 1e6;
  LlGridSet(*st);
  LlAreaSet(*st, 0, 0);
  return st;
}

inline void SetSlots(const std::vector<std::pair<int, std::string>>& v) {
  for (auto& p : v) snprintf(UsfSlot(p.first), SAT_SLOT_SIZE, "%s", p.second.c_str());
}

#endif
