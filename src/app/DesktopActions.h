#pragma once

#include <QString>
#include <QStringList>

class Program;

// What the desktop may ask of a running copy by name: its launcher's actions, a
// keyboard shortcut's `tovrin --upper`, or a call on the session bus.
//   upper, lower, random  the tray menu's three conversions of the clipboard's text
//   title, sentence, swap Title Case, Sentence case and sWAP cASE, the same way
//   <conversion>-in-place the conversion of the text selected in the focused program,
//                         pasted over it
//   show                  the main window, as "Main Window" in the tray menu
//   options               the Options dialog
QStringList desktopActionNames();

// Runs the action as the tray menu does; an unknown name does nothing and gives false.
// An empty name shows the main window.
bool runDesktopAction(Program& program, const QString& name);
