#pragma once

// Where the program starts, before any window exists: loads the settings and shows
// the splash screen, the tray icon or the main window. Writes nothing.
void startProgram();

// Connects every window built from now on to the commands that live above the windows
// (the tray conversions, what follows the splash screen).
void connectProgramWindows();
