// Node statistics whose speed mean and variance are exponentially weighted, so that recent
// requests count most; the node chooser keeps one per host.
#pragma once

#include "kiv/optimizer/normal_node_statistics.h"

namespace kiv {

class ExponentialNormalNodeStatistics : public NormalNodeStatistics {
 public:
  // A prototype with no samples and the given smoothing factor (0 < alpha <= 1).
  explicit ExponentialNormalNodeStatistics(double alpha);
  // A new instance from a prototype: fresh counters, the prototype's count, mean, variance and
  // alpha.
  ExponentialNormalNodeStatistics(const ExponentialNormalNodeStatistics& prototype);
  ExponentialNormalNodeStatistics& operator=(const ExponentialNormalNodeStatistics&) = delete;

  void Record(const http::RequestResult& result) override;
  std::pair<double, double> GetDistribution() const override;

  double GetAlpha() const { return alpha_; }

 private:
  double alpha_;
};

}  // namespace kiv
