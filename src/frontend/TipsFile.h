// The tips file: "TIPS", a table of 32-bit little-endian tip offsets ended by 0 or by the end
// of the file, and at each offset the tip's text length followed by the text as a zlib stream.
// Depends on zlib only (the build's tips writer links this unit alone).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tips {

// A tip longer than this is taken as a damaged file (a tip is a few lines; the dialog's
// layout of a long word takes time with the square of its length).
constexpr uint32_t kMaxTipLength = 8u << 10;
// Files larger than this hold no tips.
constexpr size_t kMaxFileSize = 16u << 20;

// The offsets of the tips; empty without the signature.
std::vector<uint32_t> ReadOffsets(std::string_view file);
// The text of the tip at that offset; nothing when the offset, the length or the compressed
// data do not fit the file or the stream does not give exactly the stored length.
std::optional<std::string> LoadTip(std::string_view file, uint32_t offset);
// A tips file holding the texts in order.
std::string Build(const std::vector<std::string>& texts);

}  // namespace tips
