#pragma once

// A parameterised row's name from its description: letters and digits kept, everything
// else an underscore, as GoogleTest allows.

#include <cctype>
#include <string>

namespace veltra::analysis::test {

inline std::string RowName(const char* text)
{
    std::string name = text;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
}

}  // namespace veltra::analysis::test
