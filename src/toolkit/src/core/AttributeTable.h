// Each control class declares the layout attributes it reads in one table next to it.
#pragma once

#include <string_view>

namespace toolkit {

template <class T>
struct AttributeSetter {
    std::string_view name;
    void (*apply)(T& control, std::string_view value);
};

template <class T, std::size_t N>
bool ApplyAttribute(const AttributeSetter<T> (&table)[N], T& control, std::string_view name,
                    std::string_view value) {
    for (const auto& entry : table) {
        if (entry.name == name) {
            entry.apply(control, value);
            return true;
        }
    }
    return false;
}

}  // namespace toolkit
