#pragma once
// Requests to end the program: SIGTERM, SIGINT and SIGHUP. A handler only notes the signal; the
// run looks at safe points (between reference points, while writing, before the commit) and
// stops there through the path of any failure, which removes its temporary files and leaves
// the earlier results as they were. The program then ends by the same signal, so that its
// caller sees what happened.
#include <functional>
#include <string>

namespace kadre {

// Installs the handlers. The programs call it; tests that run the program in their own
// process do not, and keep the default actions.
void catch_termination_signals();

// The signal noted so far, 0 for none.
int termination_signal();

// What a handler does; tests use it to stand for a signal.
void note_termination_signal(int signal);
// Back to no signal noted (tests).
void forget_termination_signal();

// The console text of a run stopped by the signal.
std::string termination_message(int signal);

// A safe point: stops the run (RunError) when a signal has been noted.
void stop_if_terminated();

// Ends the process by the signal with its default action (the exit status says so).
[[noreturn]] void end_by_signal(int signal);

// A program's run with the signals caught: its status, or the end of the process by the signal
// it saw (also one that came after its last safe point).
int with_termination_signals(const std::function<int()>& run);

}  // namespace kadre
