#pragma once

namespace vex {

// Every picture the full-screen saver draws, into its surface, before the
// first frame.
void load_saver_pictures();
// The preview filmstrip.
void load_preview_pictures();

}  // namespace vex
