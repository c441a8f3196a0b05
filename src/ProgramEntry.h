#pragma once

// Where the `tovrin` command enters the program it loads (Linux): the program's own
// `main`, exported from its private library.
extern "C" {
using TovrinProgramMain = int (*)(int argc, char* argv[]);
}
inline constexpr char kProgramMainSymbol[] = "tovrin_program_main";
