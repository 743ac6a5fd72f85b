// The system's DPI, shared by the program and the engine.
#pragma once

// The screen's DPI (96 when Windows cannot tell). It is fixed for the life of a process, so it
// is asked once.
int ScreenDpi();
