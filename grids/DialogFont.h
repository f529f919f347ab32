#pragma once

#include <QFont>

// The 8-point sans-serif dialog font of the windows. Their button and label sizes are fixed in
// pixels; when the system's sans-serif runs wider than those sizes allow, the font is narrowed
// (never below 70 % of its width) instead of cutting the captions off.
QFont DialogFont();
