#pragma once
// The model side of the apply dialog ("Перевод прибора на новый режим работы"): the list of the
// instrument's new network settings it shows, what its OK button does, and the copying of the
// instrument's network values into the program's link settings that the apply command shares.

#include "platform/shell.h"

#include <string>

namespace zr740 {

class Device;

// The check boxes of the apply dialog.
struct ApplyChoices {
    bool change_program_settings = true; // "Поменять сразу сетевые настройки программы"
    bool broadcast = false;              // "Поcлать широковещательную команду ..."
    bool send_three_times = true;        // "Поcлать посылку трижды (для надежности)"
};

namespace BaseDevice {
class CBaseDevice;
}

// The dialog's text: one "label: value" line per setting of the instrument's network element, or
// the reason why there is nothing to show.
std::string apply_settings_text(Device* link, const BaseDevice::CBaseDevice& device);

// Copies the instrument's known network values (those not "Нет данных") into the program's link
// settings. Returns false when the link has no network element of the instrument.
bool copy_network_values(Device& link);

// OK of the apply dialog: writes the apply command, moves the program to the instrument's new
// settings (only when the user asked for it) and reopens the port, checks that the instrument answers
// there, optionally broadcasts the command (three times when asked), and reports a failed apply write:
// with the "dev" read's failure when the instrument does not answer, else with the apply write's own. Returns 0 when the apply write succeeded, else its transaction code.
int confirm_apply(BaseDevice::CBaseDevice& device, Device& link, Shell& shell, const ApplyChoices& choices);

} // namespace zr740
