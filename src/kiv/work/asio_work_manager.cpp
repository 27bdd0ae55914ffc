// The thread pool over one io_context.
#include "kiv/work/asio_work_manager.h"

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>
#include <optional>
#include <thread>
#include <vector>

namespace kiv {

struct AsioWorkManager::Impl {
  using KeepAlive = boost::asio::executor_work_guard<boost::asio::io_context::executor_type>;

  boost::asio::io_context service;
  std::optional<KeepAlive> keepAlive;
  std::vector<std::thread> threads;

  void RunThread() {
    // A posted callable that throws would otherwise end the thread and the process with it; the
    // thread drops the exception and goes on serving the queue.
    for (;;) {
      try {
        service.run();
        return;
      } catch (...) {
      }
    }
  }
};

AsioWorkManager::AsioWorkManager(uint32_t threadCount, bool drainOnShutdown)
    : impl_(std::make_unique<Impl>()),
      threadCount_(threadCount),
      drainOnShutdown_(drainOnShutdown) {
  impl_->keepAlive.emplace(impl_->service.get_executor());
  impl_->threads.reserve(threadCount);
  for (uint32_t i = 0; i < threadCount; ++i) {
    impl_->threads.emplace_back([impl = impl_.get()] { impl->RunThread(); });
  }
}

AsioWorkManager::~AsioWorkManager() {
  if (drainOnShutdown_) {
    // Without the guard each thread returns once the queue is empty, so everything queued before
    // (and by tasks while draining) still runs.
    impl_->keepAlive.reset();
  } else {
    impl_->service.stop();
  }
  for (std::thread& thread : impl_->threads) thread.join();
  // Tasks that never ran are destroyed with the service, releasing what they hold.
  impl_->keepAlive.reset();
}

void AsioWorkManager::Post(std::function<void()> task) {
  boost::asio::post(impl_->service, std::move(task));
}

void AsioWorkManager::Execute(std::shared_ptr<SimpleWork> work) {
  boost::asio::post(impl_->service, [work = std::move(work)] { RunStandaloneTask(work); });
}

void AsioWorkManager::ExecuteForWorkflow(std::shared_ptr<Workflow> workflow,
                                         std::shared_ptr<SimpleWork> work) {
  boost::asio::post(impl_->service, [workflow = std::move(workflow), work = std::move(work)] {
    RunWorkflowTask(workflow, work);
  });
}

}  // namespace kiv
