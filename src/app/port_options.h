#pragma once
// The link settings an unattended run's command line gives, as the texts the link parameters take.

#include "app/command_line.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zr740 {

// (parameter name, value text) for each link setting the command line gives, in the order they are
// written; the port only when `with_port` (the instrument's own element has none).
std::vector<std::pair<std::string_view, std::string>> port_setting_texts(const CommandLineSettings& s, bool with_port);

} // namespace zr740
