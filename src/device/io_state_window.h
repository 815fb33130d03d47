#pragma once
// The window that shows the state of an instrument's inputs and outputs. The device classes fill and
// refresh it; the front end draws it. The ZR740 has neither inputs nor outputs, so the program offers
// no command that opens it, but the device interface keeps the hooks for models that do.

#include <string>

namespace zr740 {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

enum class IoSection { inputs, outputs };

class IoStateWindow {
public:
    virtual ~IoStateWindow() = default;

    // Number of rows the window has in a section.
    virtual int row_count(IoSection section) const = 0;
    // A column heading of a section.
    virtual void set_heading(IoSection section, int column, const std::string& text) = 0;
    // The label and the buttons of one row.
    virtual void set_row_label(IoSection section, int row, const std::string& text) = 0;
    virtual void add_row_button(IoSection section, int row, const std::string& text) = 0;
    // The value column of one row.
    virtual void set_row_value(IoSection section, int row, const std::string& text) = 0;
};

} // namespace zr740
