// Append-only list of references addressed by position. It grows by the rule
// capacity = size + max(size, 1): 1, 2, 4, 8 ... The list does not own the records.
#pragma once

#include <algorithm>
#include <memory>

template <class T> struct RefList {
    std::unique_ptr<T*[]> items;
    int size = 0;
    int capacity = 0;

    void append(T* item) {
        if (size >= capacity) {
            int newCapacity = size + std::max(size, 1);
            std::unique_ptr<T*[]> grown(new T*[newCapacity]);
            std::copy(items.get(), items.get() + size, grown.get());
            items = std::move(grown);
            capacity = newCapacity;
        }
        items[size++] = item;
    }
    void clear() {
        items.reset();
        size = capacity = 0;
    }
    T* operator[](int i) const { return items[i]; }
};
