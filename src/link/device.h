#pragma once
// The application's one link object. Besides the transactions it keeps what the tree hands the
// link: the instrument's network branch and the POUt table.

#include "link/device_io.h"
#include "model/desc_branch.h"

namespace zr740 {

class Device : public DeviceIO {
public:
    using DeviceIO::DeviceIO;

    // The branch of the instrument's own network parameters, when the description has one.
    DescBranch* network_branch = nullptr;
    // Parameters named "POUt", by linear index.
    PoutTable pout{};
};

} // namespace zr740
