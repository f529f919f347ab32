#pragma once

// Points the settings and the alias file at a folder of the benchmark's own, for the life of
// the process: a benchmark never reads or writes the user's. Call first in main().
void IsolateFromUserSettings();
