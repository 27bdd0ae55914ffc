// Running mean and variance of a node's download speed.
#include "kiv/optimizer/normal_node_statistics.h"

#include <boost/property_tree/ptree.hpp>
#include <cmath>

#include "kiv/http/request.h"
#include "kiv/optimizer/speed_conversion.h"

namespace kiv {

NormalNodeStatistics::NormalNodeStatistics(uint32_t count, double mean, double second)
    : count_(count), mean_(mean), second_(second) {}

void NormalNodeStatistics::Record(const http::RequestResult& result) {
  std::lock_guard<std::mutex> lock(mutex_);
  NodeStatistics::Record(result);
  const double x = SampleSpeed(result);
  // An error is entered several times, so a node with a long good history still feels it.
  const uint32_t repeats = IsError(result) ? count_ / 10 + 1 : 1;
  for (uint32_t i = 0; i < repeats; ++i) {
    ++count_;
    const double delta = x - mean_;
    mean_ += delta / count_;
    second_ += (x - mean_) * delta;
  }
}

std::pair<double, double> NormalNodeStatistics::GetDistribution() const {
  std::lock_guard<std::mutex> lock(mutex_);
  const double variance = count_ > 1 ? second_ / (count_ - 1) : 1.0;
  return {mean_, variance};
}

uint32_t NormalNodeStatistics::GetCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_;
}

void NormalNodeStatistics::Save(boost::property_tree::ptree& tree) const {
  NodeStatistics::Save(tree);
  const auto [mean, variance] = GetDistribution();
  tree.put("Average Request Speed", SpeedToUnsigned(mean));
  tree.put("Standard Deviation", SpeedToUnsigned(std::sqrt(variance)));
}

}  // namespace kiv
