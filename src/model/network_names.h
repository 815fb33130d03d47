// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The names of the network parameters, as the description names the instrument's (their register
// numbers) and as the program's own link settings name theirs. Configuration files, the settings
// and the instrument's tree all use these names, so they are written here once.

#include <string_view>

namespace zr740::network_names {

inline constexpr std::string_view address = "0x0007";
inline constexpr std::string_view protocol = "0x0008";
inline constexpr std::string_view baud_rate = "0x0009";
inline constexpr std::string_view data_bits = "0x000A";
inline constexpr std::string_view stop_bits = "0x000B";
inline constexpr std::string_view parity = "0x000C";
// The program's own link settings only.
inline constexpr std::string_view address_length = "A.Len";
inline constexpr std::string_view port = "Port";
inline constexpr std::string_view link_protocol = "Prot";

} // namespace zr740::network_names
