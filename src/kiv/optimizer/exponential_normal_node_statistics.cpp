// Exponentially weighted speed statistics of one host.
#include "kiv/optimizer/exponential_normal_node_statistics.h"

#include "kiv/http/request.h"

namespace kiv {

ExponentialNormalNodeStatistics::ExponentialNormalNodeStatistics(double alpha) : alpha_(alpha) {}

ExponentialNormalNodeStatistics::ExponentialNormalNodeStatistics(
    const ExponentialNormalNodeStatistics& prototype)
    : NormalNodeStatistics(), alpha_(prototype.alpha_) {
  std::lock_guard<std::mutex> lock(prototype.mutex_);
  count_ = prototype.count_;
  mean_ = prototype.mean_;
  second_ = prototype.second_;
}

void ExponentialNormalNodeStatistics::Record(const http::RequestResult& result) {
  std::lock_guard<std::mutex> lock(mutex_);
  // Only the counters of the base kind: the running mean of the normal kind does not apply.
  NodeStatistics::Record(result);
  const double x = SampleSpeed(result);
  const double a = alpha_;
  ++count_;
  const double newMean = (1.0 - a) * mean_ + a * x;
  second_ = (x - newMean) * (a * (x - mean_)) + (1.0 - a) * second_;
  mean_ = newMean;
}

std::pair<double, double> ExponentialNormalNodeStatistics::GetDistribution() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return {mean_, second_};
}

}  // namespace kiv
