#pragma once

namespace dispatch {

// The main thread runs the main loop and drains the main queue; user-interface code may run
// only there.
//
// It is the thread that loaded this library: the program's initial thread when the library is
// linked into the program, which is what hosts and test binaries get. A program that must run
// its main loop on another thread designates it before anything is queued to the main queue.
bool isMainThread();

// Makes the calling thread the main thread. Not while the main loop is running.
void designateMainThread();

}  // namespace dispatch
