#pragma once

class QProcessEnvironment;

// Whether Qt will find a display to open the window on, judged from the environment Qt reads.
// Without one Qt aborts the process, so the program asks first and says so itself.
bool HasDisplay(const QProcessEnvironment& env);
