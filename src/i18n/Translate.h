#pragma once
// Every user-visible English text passes through Translate. Until the French
// tables land this returns its input.
#include <string>
#include <string_view>

namespace tav {
std::string Translate(std::string_view english);
}
