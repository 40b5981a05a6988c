// System Mode's operations on the whole drawing (platform-free parts). They
// work on the cell table and the cell files of the current folder, loading
// one cell after another into the store.
#ifndef QUIL_EDITOR_COMMANDS_SYSMODE_H
#define QUIL_EDITOR_COMMANDS_SYSMODE_H

// Organize: table order (by name with alphasort, else by rank then name),
// outlines and counts from the files, every file rewritten with its
// instances in table order, QUIL7.CRF rewritten. A cell whose load was not
// whole (a path cut, a record skipped, a limit hit, an instance of a cell
// not in the table) is not saved: its file is left as it is and named.
// 1 done, 0 when a step failed (said).
int SysOrganize(int alphasort);

// The operations below end with the unattended Organize (by alphasort=).
// Each returns 1 done, 0 aborted; questions and messages go through the
// host with the operation's caption.

// Remove: the cell leaves the table and the instances of it leave the files
// of the cells that place it (asking once per such cell); its own file stays.
int SysRemove(const char* name);
// ReName: the table entry, the instances in the placing cells' files and
// the cell's file (written under the new name; the old one stays). A file of
// the new name already there (a removed cell) is replaced only when the
// user says so.
int SysReName(const char* oldName, const char* newName);
// ReSize by mult (clamped into 0.01..100) of one cell or of all ("*").
int SysReSize(const char* name, double mult);
// ReRank: "*" with rank 0 gives every cell its lowest rank; a name with
// rank 1..24 sets that cell's rank, and every cell that would then be below
// a cell it places is raised.
int SysReRank(const char* name, int rank);
// ReLayer of one cell or all ("*"): kind 1 move layer a to b, 2 copy a onto
// b, 3 delete a.
int SysReLayer(const char* name, int a, int b, int kind);
// The note Scale shows after the scale and unit were set.
void SysScaleNote(char* out, int size);

// Re-reads of placed-cell sets the operations made (tests and benchmarks:
// each cell's instances are read once per operation).
extern long SysInstanceReads;

#endif
