// Eight-byte reals of GDSII Stream as read: base-16 excess-64 exponent and a
// 56-bit fraction, most significant byte first.
#ifndef QUIL_CONVERTERS_CNVREAL8_H
#define QUIL_CONVERTERS_CNVREAL8_H

// All eight bytes zero give 0. The exponent is held to -30..30 so that no
// stored value overflows a double or vanishes below its range.
double GdsReal8Read(const unsigned char b[8]);

#endif
