// Receive path throughput: chunker, acceptance and dispatch of whole answers.

#include <benchmark/benchmark.h>

#include "core/shared.h"
#include "link/chunker.h"
#include "link/dispatcher.h"
#include "link/requests.h"
#include "sim/ecu.h"

namespace {

using namespace kelvo6;

link::Bytes answerTo(const link::Bytes& request) {
  sim::Ecu ecu(0);
  ecu.receive(request, 0);
  auto out = ecu.takeDue(1);
  return out.empty() ? link::Bytes{} : out.front();
}

void receive(benchmark::State& state, const link::Bytes& answer, bool clearGuard, bool headerKnown = false) {
  core::Shared shared;
  link::NullDisplay display;
  link::Dispatcher dispatcher(shared, display);
  link::Chunker chunker;
  if (headerKnown) chunker.expectHeader({0x50, 0x43, 0x00});
  std::int64_t now = 0;
  for (auto _ : state) {
    if (clearGuard) shared.received.paramSet = false;
    for (const auto& chunk : chunker.feed(answer, ++now)) benchmark::DoNotOptimize(dispatcher.handle(chunk));
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(answer.size()));
}

void BM_ParameterSet129(benchmark::State& state) { receive(state, answerTo(link::readParameterSet()), true); }
void BM_LiveData43(benchmark::State& state) { receive(state, answerTo(link::readLiveData()), false); }
// Three stray bytes ahead of every answer: the chunker slides over them and the
// answer must prove its edges (the slow path).
void BM_LiveData43BehindStrayBytes(benchmark::State& state) {
  link::Bytes noisy{0xA5, 0x00, 0xFF};
  link::Bytes answer = answerTo(link::readLiveData());
  noisy.insert(noisy.end(), answer.begin(), answer.end());
  receive(state, noisy, false);
}

// As after the handshake: the ECU's header is known, and every frame is
// searched for a header inside it.
void BM_ParameterSet129HeaderKnown(benchmark::State& state) {
  receive(state, answerTo(link::readParameterSet()), true, true);
}
void BM_LiveData43HeaderKnown(benchmark::State& state) { receive(state, answerTo(link::readLiveData()), false, true); }

BENCHMARK(BM_ParameterSet129);
BENCHMARK(BM_ParameterSet129HeaderKnown);
BENCHMARK(BM_LiveData43HeaderKnown);
BENCHMARK(BM_LiveData43);
BENCHMARK(BM_LiveData43BehindStrayBytes);

}  // namespace

BENCHMARK_MAIN();
