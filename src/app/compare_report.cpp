#include "app/compare_report.h"

#include "app/csv_log.h"
#include "app/csv_texts.h"
#include "model/model_texts.h"
#include "model/parameter.h"
#include "platform/safe_file.h"

namespace zr740 {
namespace {

std::string_view access_text(bool editable)
{
    return editable ? texts::attr_editable : texts::attr_read_only;
}

std::string_view owner_text(bool factory_owned)
{
    return factory_owned ? texts::attr_factory : texts::attr_user;
}

CompareDifference::Side side_of(const Parameter& parameter)
{
    return {parameter.value_text, parameter.editable != 0, parameter.factory_owned != 0};
}

} // namespace

CompareDifference CompareDifference::of(const Parameter& configuration, const Parameter& instrument)
{
    CompareDifference difference;
    difference.name = configuration.name;
    difference.index = configuration.indexed ? configuration.linear_index : -1;
    difference.caption = configuration.caption;
    difference.configuration = side_of(configuration);
    difference.instrument = side_of(instrument);
    return difference;
}

std::string differences_csv(const std::vector<CompareDifference>& differences)
{
    std::string out = csv_line({std::begin(texts::csv_difference_columns), std::end(texts::csv_difference_columns)});
    for (const CompareDifference& d : differences) {
        out += csv_line({d.name, d.index < 0 ? std::string() : std::to_string(d.index), d.caption,
                         d.configuration.value, std::string(access_text(d.configuration.editable)),
                         std::string(owner_text(d.configuration.factory_owned)), d.instrument.value,
                         std::string(access_text(d.instrument.editable)),
                         std::string(owner_text(d.instrument.factory_owned))});
    }
    return out;
}

bool save_differences_csv(const std::vector<CompareDifference>& differences, const std::string& path,
                          std::string& reason)
{
    return write_file_atomically(path, differences_csv(differences), {}, &reason);
}

} // namespace zr740
