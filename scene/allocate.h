// Allocation of the loader's records and arrays. Exhausted memory is fatal: the
// process ends through the log's error with "Faild to allocate memory".
#pragma once

#include <cstddef>
#include <memory>
#include <new>

[[noreturn]] void allocationFailed();

// count value-initialised entries.
template <class T> std::unique_ptr<T[]> allocateArray(int64_t count) {
    T* items = new (std::nothrow) T[static_cast<size_t>(count)]();
    if (!items)
        allocationFailed();
    return std::unique_ptr<T[]>(items);
}

// One default record.
template <class T> std::unique_ptr<T> allocateRecord() {
    T* record = new (std::nothrow) T();
    if (!record)
        allocationFailed();
    return std::unique_ptr<T>(record);
}
