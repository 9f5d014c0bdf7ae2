#include "thread_start.h"

#include <stdexcept>
#include <system_error>

namespace davrel3 {

std::thread LaunchThread(const std::function<void()>& body) { return std::thread(body); }

std::vector<std::thread> StartThreads(int wanted, const std::function<void()>& body, const ThreadLauncher& launch) {
  std::vector<std::thread> threads;
  if (wanted <= 0) return threads;
  // Room for every thread before the first starts: a started thread whose
  // place in the vector could not be allocated would end the process when
  // it is destroyed still running. No room means no workers.
  try {
    threads.reserve(static_cast<std::size_t>(wanted));
  } catch (const std::bad_alloc&) {
    return threads;
  } catch (const std::length_error&) {
    return threads;
  }
  for (int i = 0; i < wanted; ++i) {
    try {
      std::thread thread = launch(body);
      threads.push_back(std::move(thread));  // within the capacity: no allocation, no throw
    } catch (const std::system_error&) {
      break;
    } catch (const std::bad_alloc&) {
      break;
    }
  }
  return threads;
}

}  // namespace davrel3
