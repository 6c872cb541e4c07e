#pragma once

namespace vex {

// Every picture the full-screen saver draws, into its surface, before the
// first frame.
void LoadPics4ScreenSaver();
// The preview filmstrip.
void X_LoadPics4Preview();

}  // namespace vex
