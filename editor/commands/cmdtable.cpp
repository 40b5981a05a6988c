#include "cmdtable.h"

#include <strings.h>

const CmdEntry CmdTable[CMD_COUNT] = {
    {"Get", 127, 0x40ee},
    {"Fget", 122, 0x40ee},
    {"Tget", 156, 0x40ee},
    {"Cget", 107, 0x40ee},
    {"Aget", 101, 0x40ee},
    {"Wget", 164, 0x40ee},
    {"Put", 142, 0x41ee},
    {"Fput", 125, 0x41ee},
    {"Tput", 158, 0x41ee},
    {"Cput", 113, 0x416e},
    {"Aput", 102, 0x016d},
    {"Mov", 133, 0x402e},
    {"Qmov", 143, 0x802e},
    {"Wmov", 166, 0x802e},
    {"Cmov", 110, 0x802e},
    {"Cpy", 114, 0x402e},
    {"Rot", 147, 0x202d},
    {"Flp", 123, 0x402d},
    {"Prev", 141, 0x002d},
    {"Pbeg", 139, 0x406d},
    {"Pend", 140, 0x406d},
    {"Cut", 117, 0x406d},
    {"Join", 130, 0x006d},
    {"Vstp", 162, 0x002d},
    {"Obj", 134, 0x002d},
    {"Text", 155, 0x28ee},
    {"Add", 100, 0x20ee},
    {"Del", 119, 0x006d},
    {"Info", 129, 0x022d},
    {"Show", 115, 0x002d},
    {"Sort", 152, 0x006d},
    {"Arc", 103, 0x006d},
    {"Attr", 104, 0x002d},
    {"Font", 124, 0x002d},
    {"Ccel", 106, 0x002d},
    {"Csiz", 116, 0x002d},
    {"Clyr", 108, 0x002d},
    {"Cwth", 118, 0x002d},
    {"Dpth", 121, 0x002d},
    {"Tlyr", 157, 0x002d},
    {"Tsiz", 159, 0x002d},
    {"Layr", 131, 0x002d},
    {"Wdth", 163, 0x002d},
    {"Outl", 137, 0x402e},
    {"Full", 126, 0x402e},
    {"Cnfg", 111, 0x002d},
    {"Copy", 112, 0x006d},
    {"Smsh", 150, 0x006d},
    {"Udup", 160, 0x006d},
    {"Step", 153, 0x002d},
    {"Res", 145, 0x0222},
    {"Cap", 105, 0x0222},
    {"ReSz", 146, 0x002d},
    {"Snap", 151, 0x002d},
    {"OvSz", 138, 0x002d},
    {"Orig", 136, 0x202d},
    {"Swin", 154, 0x002d},
    {"Rwin", 148, 0x002d},
    {"Grid", 128, 0x001c},
    {"Wgrd", 165, 0x001d},
    {"Dgrd", 120, 0x001d},
    {"View", 161, 0x002d},
    {"Open", 135, 0x002d},
    {"Cntr", 27, 0x209c},
    {"Fit", 26, 0x009c},
    {"Left", 22, 0x009c},
    {"Right", 25, 0x009c},
    {"Up", 23, 0x009c},
    {"Dn", 24, 0x009c},
    {"Xpnd", 28, 0x009c},
    {"Zoom", 29, 0x409c},
    {"Sdrw", 149, 0x009c},
    {"Ldrw", 132, 0x009c},
    {"Rdrw", 144, 0x009c},
    {"Draw", 31, 0x00dc},
    {"Last", 30, 0x009c},
    {"Print", 12, 0x0021},
    {"Cmd", 109, 0x0021},
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
