// What the system draws from system colours follows the theme on the skinned thread: dialogs
// and their pages, common dialogs, rich edit's automatic colours, the lists a system dialog
// draws itself. Every module but the system's core DLLs asks GetSysColor and GetSysColorBrush
// through its import table; while a theme is in use, the skinned thread is answered with the
// theme's colours (SystemColours.h) and every other thread with the system's. The system's core
// (user32's own drawing, which the engine draws over anyway) keeps asking the system.
#pragma once

#include <windows.h>

namespace velum {

// From now on the modules ask the engine; it answers on the skinned thread while a theme is in
// use.
void AnswerSystemColours(HMODULE engine);
// The modules ask the system again, and the brushes handed out are deleted. False when a module
// patched the same calls after the engine, so that its patches may still call into the engine.
bool StopAnsweringSystemColours();

}  // namespace velum
