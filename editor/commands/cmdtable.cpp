#include "cmdtable.h"

#include <strings.h>

#include "cmdedit.h"
#include "cmdengine.h"
#include "cmdmove.h"
#include "cmdview.h"

const CmdEntry CmdTable[CMD_COUNT] = {
    {"Get", 127, 0x40ee, HandlerGet},
    {"Fget", 122, 0x40ee, HandlerFget},
    {"Tget", 156, 0x40ee, HandlerGet},
    {"Cget", 107, 0x40ee, HandlerCget},
    {"Aget", 101, 0x40ee, HandlerFget},
    {"Wget", 164, 0x40ee, HandlerGet},
    {"Put", 142, 0x41ee, HandlerPut},
    {"Fput", 125, 0x41ee, HandlerFput},
    {"Tput", 158, 0x41ee, HandlerPut},
    {"Cput", 113, 0x416e, HandlerCput},
    {"Aput", 102, 0x016d, HandlerAput},
    {"Mov", 133, 0x402e, HandlerMov},
    {"Qmov", 143, 0x802e, HandlerWmov},
    {"Wmov", 166, 0x802e, HandlerWmov},
    {"Cmov", 110, 0x802e, HandlerWmov},
    {"Cpy", 114, 0x402e, HandlerCpy},
    {"Rot", 147, 0x202d, nullptr},
    {"Flp", 123, 0x402d, nullptr},
    {"Prev", 141, 0x002d, HandlerPrev},
    {"Pbeg", 139, 0x406d, HandlerFget},
    {"Pend", 140, 0x406d, HandlerFget},
    {"Cut", 117, 0x406d, HandlerCut},
    {"Join", 130, 0x006d, HandlerJoin},
    {"Vstp", 162, 0x002d, HandlerVstp},
    {"Obj", 134, 0x002d, HandlerObj},
    {"Text", 155, 0x28ee, HandlerText},
    {"Add", 100, 0x20ee, HandlerAdd},
    {"Del", 119, 0x006d, HandlerDel},
    {"Info", 129, 0x022d, nullptr},
    {"Show", 115, 0x002d, nullptr},
    {"Sort", 152, 0x006d, nullptr},
    {"Arc", 103, 0x006d, HandlerArc},
    {"Attr", 104, 0x002d, HandlerAttr},
    {"Font", 124, 0x002d, nullptr},
    {"Ccel", 106, 0x002d, nullptr},
    {"Csiz", 116, 0x002d, nullptr},
    {"Clyr", 108, 0x002d, HandlerClyr},
    {"Cwth", 118, 0x002d, nullptr},
    {"Dpth", 121, 0x002d, HandlerDpth},
    {"Tlyr", 157, 0x002d, HandlerTlyr},
    {"Tsiz", 159, 0x002d, HandlerTsiz},
    {"Layr", 131, 0x002d, HandlerLayr},
    {"Wdth", 163, 0x002d, HandlerWdth},
    {"Outl", 137, 0x402e, HandlerOutlFull},
    {"Full", 126, 0x402e, HandlerOutlFull},
    {"Cnfg", 111, 0x002d, nullptr},
    {"Copy", 112, 0x006d, nullptr},
    {"Smsh", 150, 0x006d, nullptr},
    {"Udup", 160, 0x006d, nullptr},
    {"Step", 153, 0x002d, HandlerStep},
    {"Res", 145, 0x0222, nullptr},
    {"Cap", 105, 0x0222, nullptr},
    {"ReSz", 146, 0x002d, nullptr},
    {"Snap", 151, 0x002d, nullptr},
    {"OvSz", 138, 0x002d, nullptr},
    {"Orig", 136, 0x202d, HandlerOrig},
    {"Swin", 154, 0x002d, HandlerSwin},
    {"Rwin", 148, 0x002d, HandlerRwin},
    {"Grid", 128, 0x001c, HandlerGrid},
    {"Wgrd", 165, 0x001d, HandlerWgrd},
    {"Dgrd", 120, 0x001d, HandlerWgrd},
    {"View", 161, 0x002d, HandlerLayerSet},
    {"Open", 135, 0x002d, HandlerLayerSet},
    {"Cntr", 27, 0x209c, HandlerView},
    {"Fit", 26, 0x009c, HandlerView},
    {"Left", 22, 0x009c, HandlerView},
    {"Right", 25, 0x009c, HandlerView},
    {"Up", 23, 0x009c, HandlerView},
    {"Dn", 24, 0x009c, HandlerView},
    {"Xpnd", 28, 0x009c, HandlerView},
    {"Zoom", 29, 0x409c, HandlerView},
    {"Sdrw", 149, 0x009c, HandlerSdrw},
    {"Ldrw", 132, 0x009c, HandlerLdrw},
    {"Rdrw", 144, 0x009c, HandlerSdrw},
    {"Draw", 31, 0x00dc, HandlerView},
    {"Last", 30, 0x009c, HandlerView},
    {"Print", 12, 0x0021, nullptr},
    {"Cmd", 109, 0x0021, CmdRun},
};

int CmdIndexById(int id) {
  for (int i = 0; i < CMD_COUNT; ++i)
    if (CmdTable[i].id == id) return i;
  return -1;
}

int CmdIndexByName(const char* name) {
  if (!name) return -1;
  for (int i = 0; i < CMD_COUNT; ++i)
    if (strcasecmp(CmdTable[i].name, name) == 0) return i;
  return -1;
}
