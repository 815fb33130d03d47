#pragma once

namespace zr740 {

// The instrument's firmware version; both parts negative while no instrument has been identified.
struct InstrumentVersion {
    int major = -1;
    int minor = -1;
    bool known() const { return !(major < 0 && minor < 0); }
};

} // namespace zr740
