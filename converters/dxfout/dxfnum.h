// The number text of every real value in a DXF file.
#ifndef QUIL_CONVERTERS_DXFNUM_H
#define QUIL_CONVERTERS_DXFNUM_H

enum { DXF_NUMLEN = 352 };  // "%.8f" of the largest double, and its end

// The text of "%.8f" of v with trailing zeros removed down to one digit
// after the point (12.5, 12.0, 0.25) into out (DXF_NUMLEN bytes); its
// length. Values below 2^53 are formatted here, exactly as the C library
// rounds them (ties to even on the binary value), without its cost.
int DxfNum(double v, char* out);

#endif
