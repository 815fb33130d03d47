#pragma once
// The single-parameter exchange behind the "Single Point" dialog: any described parameter, named by
// the user, is read from or written to the instrument on its own, outside the tree, and the outcome
// is reported as lines of text for the dialog's list.

#include "model/parameter.h"

#include <string>
#include <string_view>
#include <vector>

namespace zr740 {

class DescriptionLists;
class DeviceIO;
class Shell;
struct DescParameter;

enum class SinglePointOperation { read, write };

// The first described parameter of that name, compared without regard to case; a name with a
// leading "!" also finds the parameter described without it, and the other way round. Null when
// none.
const DescParameter* find_described_parameter(const DescriptionLists& lists, std::string_view name);

// The type text the exchange uses for a described type text: a numeric base type followed by a
// number ("float:2", "STORED_DOT:3") is cut down to the base type; anything else stays whole.
std::string single_point_type_text(std::string_view type_text);

// A parameter made from the descriptor for one exchange: name, type text (as above), register
// count, caption with every "_" shown as a blank, limits.
Parameter single_point_parameter(const DescParameter& descriptor);

// Reads or writes (`value` is what is written) the named parameter and returns the lines to show:
// the parameter with its caption, then the outcome. An error the instrument reported takes two
// lines, its heading and the error text; a read likewise shows its heading and then the value on a
// line of its own. An unknown name is told to the user and gives no lines.
std::vector<std::string> single_point_exchange(const DescriptionLists& lists, DeviceIO& link, Shell& shell,
                                               std::string_view name, SinglePointOperation operation,
                                               const std::string& value);

// The names of the name box: every described parameter once, sorted.
std::vector<std::string> single_point_names(const DescriptionLists& lists);

// What the dialog shows about a chosen name: the described caption with "_" as blanks; empty when
// the name is not described.
std::string single_point_description(const DescriptionLists& lists, std::string_view name);

// "0x" and the register number the name stands for (the name read as hexadecimal, a leading "!"
// passed over), e.g. "0x18".
std::string single_point_identifier(std::string_view name);

// The choices of the value box for a type text: the items of an enumeration, "_" shown as a blank,
// without the hidden ones (holding "<hide>"). Empty for the numeric and text types, whose value is
// typed in.
std::vector<std::string> single_point_items(std::string_view type_text);

} // namespace zr740
