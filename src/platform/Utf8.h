#pragma once
// UTF-8 checks shared by everything that takes text from outside.
#include <string_view>

namespace tav {

// Well-formed UTF-8: no overlong forms, surrogates or values beyond Unicode.
bool IsValidUtf8(std::string_view s);

}  // namespace tav
