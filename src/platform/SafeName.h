// Names from outside (a catalogue, a profile, an archive, a disc index) that become file
// names: every such path is built here, so that no name can leave its folder.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace plat {

// True when the name can be one file name inside a folder: not empty, not "." or "..", and
// without "/", "\" or control characters.
bool IsPlainName(std::string_view name);

// `folder` + `name` (a "/" put between when missing); none when the name is not plain.
std::optional<std::string> NameInFolder(std::string_view folder, std::string_view name);

}  // namespace plat
