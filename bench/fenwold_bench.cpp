// Benchmarks of the input path on one generated file, side by side:
//   Floor   reading the file in 4096-byte blocks, keeping line and column;
//   Assign  the Assign phase over the file, in this process;
//   Whole   the whole program run on the file as its input.txt.
// Own flags: --size=N[K|M|G] (default 64M) or --input=FILE (an existing valid
// input). Every other flag goes to Google Benchmark.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "FIOStd.h"
#include "Fenwold.h"
#include "Floor.h"
#include "Gen.h"
#include "Scnr.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::string dir;    // holds input.txt and the program's output
std::string input;  // the file every benchmark reads
std::uint64_t size = 0;

void Fail(const std::string& t) {
  std::fprintf(stderr, "fenwold_bench: %s\n", t.c_str());
  std::exit(1);
}

void BM_Floor(benchmark::State& state) {
  for (auto _ : state) {
    std::FILE* f = Floor::Open(input.c_str());
    Floor::TResult r = Floor::Scan(f);
    benchmark::DoNotOptimize(r);
    std::fclose(f);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void BM_Assign(benchmark::State& state) {
  for (auto _ : state) {
    Fenwold::InitState();
    Fenwold::Build();
    Scnr::Open(Types::TStr(input.c_str(), static_cast<std::uint32_t>(input.size())));
    Fenwold::Assign();
    benchmark::DoNotOptimize(Fenwold::buf[0]);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

// Runs the program in dir; returns its exit status.
int RunWhole(const char* out, const char* err) {
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addchdir_np(&fa, dir.c_str());
  posix_spawn_file_actions_addopen(&fa, 1, out, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&fa, 2, err, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  char* argv[] = {const_cast<char*>(FENWOLD_BIN), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, FENWOLD_BIN, &fa, nullptr, argv, environ) != 0) Fail("cannot start " FENWOLD_BIN);
  posix_spawn_file_actions_destroy(&fa);
  int st = 0;
  waitpid(pid, &st, 0);
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

void BM_Whole(benchmark::State& state) {
  for (auto _ : state) RunWhole("/dev/null", "/dev/null");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

// The program must read the whole file without complaint, or the figures say nothing.
void Check() {
  const std::string err = dir + "/stderr.txt";
  const int st = RunWhole("/dev/null", err.c_str());
  if (st != 255 || fs::file_size(err) != 0) Fail("the program does not accept " + input);
}

void Setup(std::uint64_t want, const std::string& given) {
  char t[] = "/tmp/fenwold_bench.XXXXXX";
  if (mkdtemp(t) == nullptr) Fail("cannot make a temporary directory");
  dir = t;
  const std::string own = dir + "/input.txt";
  if (given.empty()) {
    std::FILE* f = std::fopen(own.c_str(), "wb");
    if (f == nullptr || !Gen::Write(f, want) || std::fclose(f) != 0) Fail("cannot write " + own);
  } else {
    fs::create_symlink(fs::absolute(given), own);
  }
  input = own;
  size = fs::file_size(own);
  Check();
}

bool ParseSize(const char* t, std::uint64_t& n) {
  char* e = nullptr;
  n = std::strtoull(t, &e, 10);
  if (e == t) return false;
  const int shift = *e == 'K' ? 10 : *e == 'M' ? 20 : *e == 'G' ? 30 : 0;
  if (shift > 0) ++e;
  n <<= shift;
  return *e == '\0';
}

// The console table, then the medians of the three rates and their ratios.
class TReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.run_type != Run::RT_Iteration) continue;
      const auto c = r.counters.find("bytes_per_second");
      if (c != r.counters.end()) rates_[r.run_name.function_name].push_back(c->second.value);
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    const double floor = Median("BM_Floor");
    std::printf("\nMedians over %llu MiB:\n", static_cast<unsigned long long>(size >> 20));
    for (const char* n : {"BM_Floor", "BM_Assign", "BM_Whole"}) {
      const double m = Median(n);
      if (m == 0) continue;
      std::printf("  %-10s %8.1f MiB/s", n + 3, m / (1 << 20));
      if (floor > 0) std::printf("   %.2f of the floor", m / floor);
      std::printf("\n");
    }
  }

 private:
  double Median(const std::string& n) {
    std::vector<double>& v = rates_[n];
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 == 1 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
  }

  std::map<std::string, std::vector<double>> rates_;
};

}  // namespace

BENCHMARK(BM_Floor)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Assign)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Whole)->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  // Repeated and interleaved by default, so that a busy machine shows in every
  // benchmark alike; flags given later override these.
  std::vector<char*> args{argv[0], const_cast<char*>("--benchmark_repetitions=5"),
                          const_cast<char*>("--benchmark_enable_random_interleaving=true")};
  std::uint64_t want = 64U << 20;
  std::string given;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--size=", 7) == 0) {
      if (!ParseSize(argv[i] + 7, want)) Fail("bad size: " + std::string(argv[i] + 7));
    } else if (std::strncmp(argv[i], "--input=", 8) == 0) {
      given = argv[i] + 8;
    } else {
      args.push_back(argv[i]);
    }
  }
  int n = static_cast<int>(args.size());
  args.push_back(nullptr);
  benchmark::Initialize(&n, args.data());
  if (benchmark::ReportUnrecognizedArguments(n, args.data())) return 1;
  FIOStd::Init();
  Setup(want, given);
  TReporter rep;
  benchmark::RunSpecifiedBenchmarks(&rep);
  benchmark::Shutdown();
  fs::remove_all(dir);
  return 0;
}
