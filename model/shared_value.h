#pragma once

#include <atomic>

// Fields of the setup that one thread writes while another reads them: the window thread edits
// steps and settings while the timer thread plays them, and the timer thread moves the play
// position while the window thread may jump it. Each field is a value of its own and publishes
// nothing else, so relaxed atomic access is enough; the fields themselves stay plain, so the
// setup keeps its layout and its copies stay simple.

template <class T>
inline T loadShared(const T& field) {
    // atomic_ref needs a non-const object; the load does not change it.
    return std::atomic_ref<T>(const_cast<T&>(field)).load(std::memory_order_relaxed);
}

template <class T, class V>
inline void storeShared(T& field, V value) {
    std::atomic_ref<T>(field).store(static_cast<T>(value), std::memory_order_relaxed);
}
