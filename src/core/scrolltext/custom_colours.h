#pragma once
// The colour dialog's sixteen custom colours, kept between runs in a small
// file in the settings folder: a section "CustomColors" whose lines read
// "ColorA=" to "ColorP=" and the stored colour value as six lower-case
// hexadecimal digits (blue, green, red: the value's own byte order). A
// missing line is an empty slot.

#include <QString>

#include <array>
#include <optional>

namespace vz {

using CustomColours = std::array<std::optional<int>, 16>;  // stored colour values

inline constexpr char CustomColoursFileName[] = "customcolors.ini";

// nullopt when the file does not exist or cannot be read: the dialog then
// keeps the colours it has.
std::optional<CustomColours> loadCustomColours(const QString& path);
// Writes the file whole (through a temporary file). On failure returns false
// and the "Cannot create file ..." message.
bool saveCustomColours(const QString& path, const CustomColours& colours, QString* error = nullptr);

}  // namespace vz
