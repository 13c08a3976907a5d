#include "platform/guarded_copy.h"

#include <atomic>
#include <csetjmp>
#include <csignal>
#include <cstring>
#include <mutex>

namespace rescuva::platform {
namespace {

// The copy under way on this thread, if any; a bus error elsewhere is not ours.
thread_local sigjmp_buf* t_copy = nullptr;
struct sigaction g_before {};

void OnBusError(int signal, siginfo_t* info, void* context) {
  if (sigjmp_buf* copy = t_copy) {
    t_copy = nullptr;
    siglongjmp(*copy, 1);
  }
  // Not a guarded copy: the handler that was there before decides, and the default
  // one ends the program as it would have.
  if (g_before.sa_flags & SA_SIGINFO) {
    g_before.sa_sigaction(signal, info, context);
  } else if (g_before.sa_handler != SIG_DFL && g_before.sa_handler != SIG_IGN) {
    g_before.sa_handler(signal);
  } else {
    ::sigaction(SIGBUS, &g_before, nullptr);
    ::raise(signal);
  }
}

void InstallHandler() {
  struct sigaction action {};
  action.sa_sigaction = OnBusError;
  // not blocked while handled: the jump out leaves the mask as it was
  action.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGBUS, &action, &g_before);
}

}  // namespace

bool GuardedCopy(void* to, const void* from, size_t size) {
  static std::once_flag installed;
  std::call_once(installed, InstallHandler);
  sigjmp_buf copy;
  if (sigsetjmp(copy, 0) != 0) return false;
  t_copy = &copy;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  std::memcpy(to, from, size);
  std::atomic_signal_fence(std::memory_order_seq_cst);
  t_copy = nullptr;
  return true;
}

}  // namespace rescuva::platform
