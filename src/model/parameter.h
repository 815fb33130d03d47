#pragma once
// One instrument parameter as the program holds it: the value (MyConverter) plus caption, flags,
// attributes, status and the state the scanners and the tree need.

#include "model/my_converter.h"

#include <cstdint>
#include <string>

namespace zr740 {

class Parameter : public MyConverter {
public:
    Parameter();
    explicit Parameter(std::string parameter_name);
    Parameter(std::uint16_t number, std::uint8_t count, std::uint8_t function);
    Parameter(const Parameter&) = default;
    Parameter& operator=(const Parameter&) = default;

    const RuntimeClass& runtime_class() const override;
    // Checks text typed by the user against the value type and the limits; on acceptance stores it
    // (numbers re-formatted) and marks the value changed. Returns 1 accepted, 0 rejected.
    virtual int set_value_from_input(const std::string& text, bool full_precision);

    // Back to the state of a freshly made parameter: "Нет данных", no flags, no status.
    void reset();
    bool any_changed() const { return value_changed || editable_changed || owner_changed; }
    void clear_changed() { value_changed = editable_changed = owner_changed = 0; }
    // Tree icon: 30 not exchanged, 28 numeric and text types, 27 enumerations.
    int icon_index() const;
    // Row colour in 0x00BBGGRR order: blue for a comparison note, red for another status, green for
    // a change, 0 (default) otherwise.
    std::uint32_t row_colour() const;

    std::string caption;
    std::uint8_t indexed = 0;
    std::uint8_t value_changed = 0;
    std::uint8_t editable_changed = 0;
    std::uint8_t owner_changed = 0;
    std::string status_text;
    std::uint8_t exchangeable = 1;
    std::uint8_t editable = 1;
    std::uint8_t factory_owned = 0;
    std::uint8_t attribute_mode = 0;
    int scanner_channel = 0;
    int linear_index = 0;
    Parameter** pout_entry = nullptr; // entry of the POUt table that points back here
    int table_mark = 0;
    int poll_period = 1000; // ms
    std::uint8_t poll_running = 0;
    std::string init_text;
};

} // namespace zr740
