#pragma once
// The names the program's windows are known by: a new instance looks for the
// saver window and the settings dialog by their titles, so each text is
// written here once and never changed.
namespace tolvarin {

inline constexpr const char* kSaverWindowTitle = "Tolvarin_Main";  // Tolvarin_S
inline constexpr const char* kDialogCaption = "<Tolvarin>";        // Tolvarin_P, and its message boxes
inline constexpr const char* kPreviewCaption = "Preview Window";   // Tolvarin_R
// The window class of the self-drawn button Command.
inline constexpr const char* kCommandClassName = "Tolvarin.Command";

}  // namespace tolvarin
