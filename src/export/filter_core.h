// Save-dialog filter lists: pairs of description and pattern, each ended by a
// zero, the list ended by an empty text (the common dialog's layout).
#pragma once
#include <cstddef>

// Number of complete description/pattern pairs in the list (0 for null).
int filter_pair_count(const wchar_t* filters);

// The default extension of pair `index` (0 and 1 both mean the first pair): the
// pattern's text after its last '.', unless that is empty or "*". Writes it
// (zero-terminated) into `out` and returns true; returns false, with `out`
// empty, when the list has no such pair or the pattern gives no extension.
bool filter_default_extension(const wchar_t* filters, int index, wchar_t* out, std::size_t capacity);
