#pragma once

// Starts the program: the application object, the title, the main window, the event loop.
int RunRowcart(int argc, char* argv[]);
