#pragma once

class QApplication;

// Wires the platform, starts the program in Main and runs it to its end.
int runTovrin(QApplication& app);
