// The program's one command engine state.
#ifndef QUIL_EDITOR_WIN_EDITORCMD_H
#define QUIL_EDITOR_WIN_EDITORCMD_H

#include "cmdengine.h"

// Global: the window procedure and the engine's hooks reach it only here.
extern CmdEngineState EditorCmd;

#endif
