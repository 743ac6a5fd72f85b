// A program sizes its windows for a client size through the system's frame arithmetic:
// AdjustWindowRect(Ex)(ForDpi) and the frame metrics of GetSystemMetrics(ForDpi). On the skinned
// thread those questions are answered with the skinned frame's extents, so such a window gets
// the client size it asked for under every theme, while the engine keeps whatever outer size a
// program sets (a size it saved last session comes back the same). GetMenuItemRect is answered
// there too for a right-to-left window's bar, with the items where they are drawn.
#pragma once

#include <windows.h>

namespace velum {

// From now on the program's own modules ask the engine; it answers on the skinned thread while
// a theme is in use. `engine` is the engine's module, whose own calls stay the system's.
void AnswerFrameArithmetic(HMODULE engine);
// The program asks the system again. False when a module patched the same calls after the
// engine, so that its patches may still call into the engine.
bool StopAnsweringFrameArithmetic();

}  // namespace velum
