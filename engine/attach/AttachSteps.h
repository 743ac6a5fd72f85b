// The steps of an attach or a switch, timed for the start-up benchmark. When the environment
// variable VELUM_ATTACH_STEPS names a file, each call of the engine's attach appends one line
// per step to it, "<step> <performance counter>", so that a benchmark starting the program
// can place the engine's steps between the process's creation and its first window. Unset,
// marking a step costs one test of a flag.
#pragma once

namespace velum {

// The end of one step; `step` is a literal.
void MarkStep(const char* step);
// Appends the steps marked since the last call to the file, and forgets them.
void WriteSteps();

}  // namespace velum
