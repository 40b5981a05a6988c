// The swap file Swap.bpv: the current cell's objects saved while nested
// cells are loaded into the store, and read back afterwards. Three runs of
// raw store records (boxes 20 bytes, paths 12, vertices 16; little-endian
// 32-bit fields), each ended by an all-zero record.
#ifndef QUIL_EDITOR_STORE_SWAP_H
#define QUIL_EDITOR_STORE_SWAP_H

// 0 when written; 1 the file does not open, 2/3/4 a box/path/vertex page
// could not be made or a record's first word is 0 (it would end its run when
// read back), 5 a write failed. When the temp folder can't take the file it
// goes to the spare folder (made as needed), and is read back from there.
int SwapWrite();
// 0 when read whole; 1 when not (no file, a page not made, a read error, or
// a run without its end record: the records read so far stay).
int SwapRead();
void SwapOut();
// Removes a swap file of the spare folder (at exit).
void SwapSpareDelete();
void SwapIn();

#endif
