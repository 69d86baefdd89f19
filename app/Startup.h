#pragma once
// The program body: checks that there is a display, creates the application,
// then the main window, then the About box, and runs the message loop.
int RunKalvora(int argc, char** argv);
