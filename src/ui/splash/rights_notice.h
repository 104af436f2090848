#pragma once
// The rights notice the splash screen shows under the title. The About box
// shows the same line, so it lives apart from any one window.

namespace telvo {

// Windows-1252 text, like every other text of the program: 0xA9 is the
// copyright sign.
inline constexpr char kRightsNotice[] =
    "Copyright \xA9 2026 the Telvo developers. All rights reserved.";

}  // namespace telvo
