// Starting worker threads without betting the process on it: a thread the
// system refuses to start (too many threads, too little memory for a stack)
// means fewer workers, not an abort.
#pragma once

#include <functional>
#include <thread>
#include <vector>

namespace davrel3 {

// Starts one thread running `body`; throws std::system_error as
// std::thread does when it cannot.
using ThreadLauncher = std::function<std::thread(const std::function<void()>& body)>;

std::thread LaunchThread(const std::function<void()>& body);

// Starts up to `wanted` threads running `body`, stopping at the first one
// that cannot be started. The caller runs `body` itself when none could be.
std::vector<std::thread> StartThreads(int wanted, const std::function<void()>& body,
                                      const ThreadLauncher& launch = LaunchThread);

}  // namespace davrel3
