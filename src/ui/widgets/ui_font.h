#pragma once
// The one font family every window uses.

#include <QFont>

namespace vz {

QFont uiFont(int pointSize = 9, bool bold = false);

}  // namespace vz
