#pragma once

// The window lives in a module of its own, loaded only when the program starts without
// arguments, so that the command line never maps Qt Gui, Qt Widgets or what they pull in.

// The one symbol the module exports: creates the application, shows the main window and runs
// the event loop. Returns the program's exit status.
extern "C" int zunova_run_window(int* argc, char** argv);
using RunWindow = int (*)(int* argc, char** argv);
inline constexpr const char* kRunWindowSymbol = "zunova_run_window";
