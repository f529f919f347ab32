#pragma once

// What a grid shows as selected: nothing, the rows of its RowSelection, or every row (Ctrl+A,
// the top-left title cell) without any of them being in the RowSelection.
enum class SelectionKind { None, Rows, All };
