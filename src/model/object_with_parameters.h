#pragma once
// An element that owns an ordered array of parameters and runs the batch operations over them.

#include "model/parameter.h"
#include "model/runtime_class.h"

#include <memory>
#include <string>
#include <vector>

namespace zr740 {

class Shell;

class ObjectWithParameters {
public:
    ObjectWithParameters() = default;
    virtual ~ObjectWithParameters() = default;
    ObjectWithParameters(const ObjectWithParameters& other);
    ObjectWithParameters& operator=(const ObjectWithParameters&) = delete;

    virtual const RuntimeClass& runtime_class() const;
    // Deletes every parameter; the fixed elements then create their own.
    virtual void rebuild_parameters();
    // Value text of the named parameter (no case), "Нет данных" when there is none.
    virtual std::string value_by_name(std::string_view parameter_name) const;
    // Stores the text; marks the value changed when it differs (no case). 1 found, 0 not.
    virtual int set_value_by_name(std::string_view parameter_name, const std::string& text);
    // The element's linear index; warns about indexed parameters that disagree with it.
    virtual int linear_index_check(Shell& shell);
    virtual void set_linear_index(int index);
    // 2 when any parameter carries a changed flag, else 0.
    virtual int has_changes() const;
    virtual void reset_values();

    Parameter* find(std::string_view parameter_name) const;
    void clear_changed();
    Parameter& append(std::unique_ptr<Parameter> parameter);

    std::vector<std::unique_ptr<Parameter>> parameters;
    int shown_count = 0;
    int linear_index = -1;

};

} // namespace zr740
