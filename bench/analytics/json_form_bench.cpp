// Cost of the JSON form for the trees the engine writes most: a completion's events body (one
// counted event and one report per node) and a work-log line for a completed work.
#include <benchmark/benchmark.h>

#include <boost/property_tree/ptree.hpp>
#include <sstream>

#include "kiv/analytics/json_form.h"
#include "kiv/analytics/optimizer_analytics_request.h"
#include "kiv/analytics/simple_event_analytics_request.h"

namespace {

using boost::property_tree::ptree;

ptree CompletionBody(int nodes) {
  ptree body;
  ptree first;
  kiv::SimpleEventAnalyticsRequest("partner", "package", "1.0.0", "numCompletes").Save(first);
  body.push_back({"", first});
  kiv::NodeStatisticsDeltas deltas;
  deltas.bytes = 123456789;
  deltas.successBytes = 123000000;
  deltas.requestTime = 98765;
  deltas.numRequests = 1884;
  for (int i = 0; i < nodes; ++i) {
    ptree node;
    kiv::OptimizerAnalyticsRequest("partner", "package", "1.0.0", deltas,
                                   "node" + std::to_string(i) + ".cdn.example")
        .Save(node);
    body.push_back({"", node});
  }
  return body;
}

ptree CompletionLine() {
  ptree line;
  line.put("event", "OnWorkComplete");
  line.put("params.name", "ChunkRequestWork");
  line.put("params.important", "false");
  line.put("params.url", "http://node7.cdn.example/packages/Corvan/1.0.0/data/map_europe.bin");
  line.put("params.workStatus.result", "0");
  line.put("params.workStatus.retry", "false");
  return line;
}

void BM_CompletionBody(benchmark::State& state) {
  const ptree body = CompletionBody(static_cast<int>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string text = kiv::ToJson(body);
    bytes += text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_CompletionBody)->Arg(1)->Arg(20);

void BM_LogLine(benchmark::State& state) {
  const ptree line = CompletionLine();
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string text = kiv::ToJson(line);
    bytes += text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_LogLine);

void BM_DoubleToText(benchmark::State& state) {
  double value = 0.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(kiv::DoubleToText(value));
    value += 1.0 / 3.0;
  }
}
BENCHMARK(BM_DoubleToText);

}  // namespace

BENCHMARK_MAIN();
