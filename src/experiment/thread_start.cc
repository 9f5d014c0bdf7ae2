#include "thread_start.h"

#include <system_error>

namespace davrel3 {

std::thread LaunchThread(const std::function<void()>& body) { return std::thread(body); }

std::vector<std::thread> StartThreads(int wanted, const std::function<void()>& body, const ThreadLauncher& launch) {
  std::vector<std::thread> threads;
  for (int i = 0; i < wanted; ++i) {
    try {
      threads.push_back(launch(body));
    } catch (const std::system_error&) {
      break;
    } catch (const std::bad_alloc&) {
      break;
    }
  }
  return threads;
}

}  // namespace davrel3
