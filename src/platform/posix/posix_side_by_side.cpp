// Two pieces of work at once: one on a thread of its own, one on the
// calling thread.
#include <exception>
#include <system_error>
#include <thread>

#include "platform/platform.h"

namespace plat {

void RunSideBySide(const std::function<void()>& beside, const std::function<void()>& here) {
  std::exception_ptr besideFailed;
  const auto runBeside = [&beside, &besideFailed] {
    try {
      beside();
    } catch (...) {
      besideFailed = std::current_exception();
    }
  };
  std::thread thread;
  try {
    thread = std::thread(runBeside);
  } catch (const std::system_error&) {
    runBeside();  // no thread to be had: one after the other
  }
  std::exception_ptr hereFailed;
  try {
    here();
  } catch (...) {
    hereFailed = std::current_exception();
  }
  if (thread.joinable()) thread.join();
  if (hereFailed) std::rethrow_exception(hereFailed);
  if (besideFailed) std::rethrow_exception(besideFailed);
}

}  // namespace plat
