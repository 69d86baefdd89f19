#pragma once
// Counts the heap allocations (operator new, plain and non-throwing) made while a
// function runs. The replaced operator new serves the whole program, so only the
// programs that count allocations link this (kalvora_testalloc).
#include <functional>

int CountAllocations(const std::function<void()>& f);
