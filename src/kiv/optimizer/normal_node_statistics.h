// Node statistics with a running mean and variance of the observed download speed (Welford),
// where an error weighs more the more samples a node already has.
#pragma once

#include <cstdint>
#include <mutex>
#include <utility>

#include "kiv/optimizer/node_statistics.h"

namespace kiv {

class NormalNodeStatistics : public NodeStatistics {
 public:
  NormalNodeStatistics() = default;

  // Also overwrites "Average Request Speed" with the mean and adds "Standard Deviation".
  void Save(boost::property_tree::ptree& tree) const override;

  void Record(const http::RequestResult& result) override;

  // (mean, variance) of the sample speed in bytes per second; the variance is 1.0 until two
  // samples are in.
  virtual std::pair<double, double> GetDistribution() const;

  // How many samples the distribution holds.
  uint32_t GetCount() const;

 protected:
  NormalNodeStatistics(uint32_t count, double mean, double second);

  mutable std::mutex mutex_;
  uint32_t count_ = 0;
  double mean_ = 0.0;
  // The sum of squared deviations here; the variance itself in the exponential kind.
  double second_ = 0.0;
};

}  // namespace kiv
