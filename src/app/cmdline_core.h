// Command-line tokens, read the way start-up reads them.
#pragma once
#include <cstddef>

// Takes the next argument from source into buf (capacity in wide chars including
// the terminator, quotes removed). Returns where the following argument may begin,
// or null when there was none; buf always ends up terminated.
const wchar_t* next_token(const wchar_t* source, wchar_t* buf, std::size_t capacity);
