// The editor's command table: names, button or menu ids, flag words and
// handlers. A new command is one line here; a null handler marks a command
// this edition does not carry out (it refuses at its start).
#ifndef QUIL_EDITOR_COMMANDS_CMDTABLE_H
#define QUIL_EDITOR_COMMANDS_CMDTABLE_H

#include <cstdint>

enum { CMD_COUNT = 78 };

struct CmdEngineState;

struct CmdEntry {
  const char* name;
  int32_t id;
  int32_t flags;
  void (*handler)(CmdEngineState& st);
};

extern const CmdEntry CmdTable[CMD_COUNT];

// Index of the entry with this id or name (case-insensitive), -1 when none.
int CmdIndexById(int id);
int CmdIndexByName(const char* name);

inline int CmdKind(int i) { return CmdTable[i].flags & 0x3; }
inline int CmdLineAllowed(int i) { return (CmdTable[i].flags & 0x4) != 0; }
inline int CmdKeyAllowed(int i) { return (CmdTable[i].flags & 0x8) != 0; }
inline int CmdMode(int i) { return (CmdTable[i].flags >> 4) & 0xfff; }
inline int CmdCoords(int i) { return (CmdTable[i].flags >> 12) & 0xe; }

#endif
