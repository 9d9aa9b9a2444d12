#include "core/termination.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "core/errors.h"

namespace kadre {

namespace {

// The one state of the process outside any run: a handler has nothing else to write to.
// Lock-free, so that the handler may store it and every worker thread see it.
std::atomic<std::sig_atomic_t> noted{0};
static_assert(std::atomic<std::sig_atomic_t>::is_always_lock_free);

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void note_signal(int signal) { noted.store(signal, std::memory_order_relaxed); }

const char* signal_name(int signal) {
  switch (signal) {
    case SIGTERM:
      return "SIGTERM";
    case SIGINT:
      return "SIGINT";
    case SIGHUP:
      return "SIGHUP";
  }
  return "";
}

}  // namespace

void catch_termination_signals() {
  struct sigaction action {};
  action.sa_handler = note_signal;
  sigemptyset(&action.sa_mask);
  // Reads and writes go on after the handler; the run itself decides where to stop.
  action.sa_flags = SA_RESTART;
  for (const int signal : kSignals) sigaction(signal, &action, nullptr);
}

int termination_signal() { return noted.load(std::memory_order_relaxed); }

void note_termination_signal(int signal) { note_signal(signal); }

void forget_termination_signal() { noted.store(0, std::memory_order_relaxed); }

std::string termination_message(int signal) {
  return free_form_line(std::string("Vypocet prerusen signalem ") + signal_name(signal) +
                        ", vysledky nebyly zapsany.");
}

void stop_if_terminated() {
  if (const int signal = termination_signal(); signal != 0)
    throw RunError(termination_message(signal));
}

void end_by_signal(int signal) {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  ::raise(signal);
  std::_Exit(128 + signal);  // not reached: the default action of these signals ends the process
}

int with_termination_signals(const std::function<int()>& run) {
  catch_termination_signals();
  const int status = run();
  if (const int signal = termination_signal(); signal != 0) {
    std::fflush(nullptr);
    std::cout.flush();
    end_by_signal(signal);
  }
  return status;
}

}  // namespace kadre
