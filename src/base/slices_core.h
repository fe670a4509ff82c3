// Work split into numbered slices, run on the calling thread and a few others.
// Large text writers are bound by the faults of their fresh output pages, and
// only more threads touching their own pages make those go faster.
#pragma once
#include <cstddef>
#include <functional>

// How a text of `length` bytes in lines of about `lineLength` is cut: lines
// per slice (0: one pass on the calling thread) and threads. Small texts stay
// in one pass, where starting threads costs more than their pages; the threads
// are the processors, at most 4 (the page faults stop scaling before that).
struct SliceCut {
    std::size_t linesPerSlice;
    unsigned threads;
};
SliceCut slices_for_text(std::size_t length, std::size_t lineLength);

// Calls job(i) once for every i in 0..count-1. The calling thread takes part,
// with up to threads - 1 more; each takes the next free slice until none is
// left, so the order among slices is not fixed. They are handed out from the
// last to the first: a slice that writes past its end spoils the one after it
// even on one thread, instead of being covered up by it. A thread that cannot
// be started leaves its share to the others. Returns once every slice is done.
void slices_run(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& job);
