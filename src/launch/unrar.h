// The texts of the RAR library's result codes.
#pragma once
#include <string>

namespace unrar {

std::string RARErrorText(int code);

}  // namespace unrar
