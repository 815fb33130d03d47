#pragma once
// The termios form of the program's line format: raw bytes, no flow control, and the line's own
// parity codes (model/parity.h).

#include <termios.h>

namespace zr740 {

// 0 when the line takes the format; otherwise what Sio::open() returns for it, the first fault
// counting: -2 for a parity code outside 0..5, -3 for data bits outside 5..8, -2 for stop bits
// other than 1 or 2 or a baud rate the program does not offer.
int check_line_format(int parity_code, int stop_bits, int data_bits, int baud_rate);

// The termios constant of a rate the C library knows; 0 for the rates that need termios2.
speed_t standard_speed(int baud);

// Makes `settings` raw and sets data bits, parity and stop bits; the values must have been checked
// (parity 0..5, data bits 5..8, stop bits 1 or 2). Leaves the speed alone.
void apply_line_format(termios& settings, int parity_code, int stop_bits, int data_bits);

// Bits per character on the line: start, data, parity if any, stop bits.
int bits_per_character(int parity_code, int stop_bits, int data_bits);

} // namespace zr740
