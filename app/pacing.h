// Pass pacing: a monotonic millisecond clock and a wait that sleeps for the coarse
// part of the interval and polls for the last millisecond.
#pragma once

#include <cstdint>

// Milliseconds of a monotonic clock; wraps after 49.7 days like any 32-bit tick count.
uint32_t tickMilliseconds();

// Waits until at least `interval` ms have passed since `start` (unsigned difference,
// so the wrap of the counter does no harm). Returns at once if they already have.
void waitSince(uint32_t start, uint32_t interval);

constexpr uint32_t PASS_MILLISECONDS = 20;

// Milliseconds of the monotonic clock with a fraction, for frames drawn between passes.
double preciseMilliseconds();

// Waits until the precise clock reaches `deadline`: sleeps for the coarse part, polls
// for the last millisecond. Returns at once if it has passed.
void waitUntil(double deadline);
