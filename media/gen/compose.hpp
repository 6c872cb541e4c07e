// Composes the 800 x 600 scene the way the saver's frame tick does, so the
// pictures can be judged together before the engine exists.
#pragma once

#include "parts.hpp"

#include <map>
#include <string>

namespace mediagen {

using Library = std::map<std::string, std::pair<Layout, Image>>;

void write_sheets(const std::string& dir, const Library& lib);

}  // namespace mediagen
