#pragma once

class Program;

// Where the program starts, before any window exists: loads the settings and shows
// the splash screen, the tray icon or the main window. Writes nothing.
void startProgram(Program& program);

// After start-up (or the splash): the icon when "Place in tray on start-up" is on and
// the desktop has a notification area, otherwise the main window.
void showMainOrTray(Program& program);
