#pragma once
// Which features are built. Menu items and buttons of features that are not
// built yet stay visible but disabled; each feature enables itself here.

namespace vz::features {

constexpr bool AreaSelection = false;   // "Part of Desktop", "Select Screen Area"
constexpr bool WindowPicker = false;    // "Single Application"
constexpr bool ClipboardSource = false; // "Clipboard"
constexpr bool Slideshow = false;       // "Images", "Open Slideshow", "Make Slideshow"
constexpr bool ScrollText = true;       // "Scroll Text"
constexpr bool ImageCapture = false;    // "Capture an Image"
constexpr bool CursorLock = false;      // "Lock / Unlock cursor onto screen", "Set Mouse Area"
constexpr bool Shortcuts = false;       // "Shortcuts"
constexpr bool MonitorDetails = false;  // "Monitor Details"

}  // namespace vz::features
