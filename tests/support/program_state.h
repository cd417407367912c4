// What a run of the program leaves behind, put back for the next run in the
// same process (the end-to-end runs start the game many times over).
#pragma once

// Puts back what a run of the program changes, as a new process starts: the
// shell's globals, the screens' and the music's, the scene switch, the play
// screen's carried flags, the world tables' tickets, outcome and tables
// held, and the window system's class and window. What is
// chosen before a run (the host, the first screen, replay recording) is left
// as it is.
void ResetProgramState();
