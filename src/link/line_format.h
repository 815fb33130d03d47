#pragma once
// The termios form of the program's line format: raw bytes, no flow control, and the line's own
// parity codes (model/parity.h).

#include <termios.h>

namespace zr740 {

// Makes `settings` raw and sets data bits, parity and stop bits; the values must have been checked
// (parity 0..5, data bits 5..8, stop bits 1 or 2). Leaves the speed alone.
void apply_line_format(termios& settings, int parity_code, int stop_bits, int data_bits);

// Bits per character on the line: start, data, parity if any, stop bits.
int bits_per_character(int parity_code, int stop_bits, int data_bits);

} // namespace zr740
