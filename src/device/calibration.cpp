// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/calibration.h"

#include "device/device_texts.h"
#include "link/device_io.h"
#include "model/c_numbers.h"
#include "model/parameter.h"
#include "platform/shell.h"

#include <algorithm>

namespace zr740 {

std::uint16_t correction_register(Correction which)
{
    return which == Correction::offset ? 0x0034 : 0x0036;
}

std::string correction_text(std::string text)
{
    std::replace(text.begin(), text.end(), ',', '.');
    return text;
}

bool correction_accepted(const std::string& text, Correction which)
{
    // The instrument keeps the value in single precision, so a value too small for it is a zero too.
    const auto value = static_cast<float>(c_atof(text));
    if (text == "0")
        return which == Correction::offset;
    return value != 0.0f;
}

bool apply_correction(DeviceIO& link, Shell& shell, Correction which, const std::string& typed)
{
    const std::uint16_t number = correction_register(which);
    Parameter correction(which == Correction::offset ? "0x0034" : "0x0036");
    correction.register_number = number;
    correction.register_count = 2;
    correction.type_text = "float";
    correction.value_text = correction_text(typed);

    if (!correction_accepted(correction.value_text, which)) {
        shell.message(std::string(texts::calibration_bad_input), std::string(texts::calibration_bad_input_caption),
                      Icon::warning, Owner::main_window);
        return false;
    }
    if (link.read_registers(correction, true) != 0) {
        shell.message(correction.status_text, std::string(texts::calibration_failed_caption), Icon::warning,
                      Owner::main_window);
        return false;
    }
    shell.message(std::string(texts::calibration_done), std::string(texts::calibration_done_caption), Icon::warning,
                  Owner::main_window);
    return true;
}

} // namespace zr740
