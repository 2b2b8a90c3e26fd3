#pragma once

#include <mutex>

namespace platform {

// libjack can deadlock when one thread opens a client while another closes one (seen when the
// client of a server that had gone away was closed during another client's open). Every open
// and close of a JACK client in the program, the built-in synth's included, holds this lock.
std::mutex& jackClientLock();

}  // namespace platform
