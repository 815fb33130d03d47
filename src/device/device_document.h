#pragma once
// What a device object needs of the document that owns it: the tree, the link, the shell, the
// generic initialisation of the batch engine, and the window's read of everything and calibration
// window. The document implements it; tests use a small fake.

#include <functional>
#include <string>

namespace zr740 {

class DescBranch;
class Device;
class Shell;

class DeviceDocument {
public:
    virtual ~DeviceDocument() = default;

    virtual DescBranch* root() const = 0;
    virtual DescBranch* scanners() const = 0;
    virtual Device& link() = 0;
    virtual Shell& shell() = 0;
    // Writes the initial values of every parameter of the tree (the generic initialisation).
    virtual void initialise_all_parameters() = 0;
    // Has the window read every parameter once its current command is over; nothing without one.
    virtual void read_all_later() = 0;
    // The calibration window, shown modally: `apply` is the handler of its two "Применить" buttons
    // (true for the range correction) with the text typed beside the button. False, showing
    // nothing, when there are no windows.
    virtual bool calibration_dialog(const std::function<void(bool range, const std::string& typed)>& apply) = 0;
};

} // namespace zr740
