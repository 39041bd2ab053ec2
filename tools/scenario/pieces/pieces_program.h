// The pieces program: a small program of its own on the window runtime, with
// a hand-made window that uses what the notebook leaves unused (an edit
// box's selection, ...). Its handlers write what they see into the window's
// units, so a scenario script checks it with `expect prop` on every desktop.
#pragma once

namespace scenario {

// Runs the program: start-up, its window, the message loop; never returns.
[[noreturn]] void RunPiecesProgram();

}  // namespace scenario
