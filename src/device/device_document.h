#pragma once
// What a device object needs of the document that owns it: the tree, the link, the shell and the
// generic initialisation of the batch engine. The document implements it; tests use a small fake.

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
};

} // namespace zr740
