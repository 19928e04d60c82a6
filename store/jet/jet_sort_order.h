#pragma once

#include <cstdint>
#include <vector>

namespace dalvon::jet {

// The General (legacy) sort codes of a character in text index keys, as far as this program
// knows them: letters (either case), digits, space, '.' and '_'. Empty for any other character.
std::vector<uint8_t> generalSortCode(char c);

}  // namespace dalvon::jet
