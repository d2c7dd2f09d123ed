#pragma once
// Which features are built. Menu items and buttons of features that are not
// built yet stay visible but disabled; each feature enables itself here.

namespace vz::features {

constexpr bool AreaSelection = true;    // "Part of Desktop", "Select Screen Area"
constexpr bool WindowPicker = true;     // "Single Application"
constexpr bool ClipboardSource = true;  // "Clipboard"
constexpr bool Slideshow = true;        // "Images", "Open Slideshow", "Make Slideshow"
constexpr bool ScrollText = true;       // "Scroll Text"
constexpr bool ImageCapture = true;     // "Capture an Image"
constexpr bool CursorLock = true;       // "Lock / Unlock cursor onto screen", "Set Mouse Area"
constexpr bool Shortcuts = true;        // "Shortcuts"
constexpr bool MonitorDetails = true;   // "Monitor Details"

}  // namespace vz::features
