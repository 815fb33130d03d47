// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two corrections of the transmitter's calibration window ("Юстировка прибора"): the offset
// (the indication under static pressure) and the range (against a reference pressure). Each is one
// float the instrument takes in its own register and turns into coefficients itself; the program only
// checks the typed value and writes it.

#include <cstdint>
#include <string>

namespace zr740 {

class DeviceIO;
class Shell;

enum class Correction { offset, range };

// The register the correction is written to: 0x0034 for the offset, 0x0036 for the range.
std::uint16_t correction_register(Correction which);

// The typed text as it is written: every decimal comma turned into a point.
std::string correction_text(std::string text);

// Whether the typed text (after correction_text) may be written. Only a zero result is refused: a
// text that yields no number, or a zero written otherwise than as the single digit 0; the range
// refuses that single 0 too (a zero reference pressure cannot scale anything). Text that starts with
// a non-zero number passes, and the float conversion of the write decides about the rest.
bool correction_accepted(const std::string& text, Correction which);

// The handler of both "Применить" buttons: checks, writes the one register and tells the outcome.
// Returns true when the value was written.
bool apply_correction(DeviceIO& link, Shell& shell, Correction which, const std::string& typed);

} // namespace zr740
